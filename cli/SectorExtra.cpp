#include "cli/SectorExtra.h"

#include "commands/Messages.h"
#include "commands/SectorTexts.h"
#include "kdx/ImageSectors.h"
#include "platform/Services.h"

namespace cli {

namespace {

void Say(const std::string& text, platform::MsgDlgType type)
{
    platform::MessageDlg(text, type, platform::MsgDlgButtons::mbOK);
}

}  // namespace

bool SectorExtra::BeforeWrite(const kdx::Patch&, kdx::File& patch, kdx::File& image, const kdx::WriteChoice& writes)
{
    right_.reset();
    std::uint64_t sectors = 0;
    const kdx::RawVerdict verdict = kdx::JudgeImage(image, sectors);
    if (verdict == kdx::RawVerdict::Unreadable) {
        Say(commands::text::CantReadSectors(image.LastErrorText()), platform::MsgDlgType::mtError);
        return false;
    }
    if (verdict != kdx::RawVerdict::Raw) {
        Say(commands::text::FixSectorsNotRaw(kdx::NotRawMessage(verdict)), platform::MsgDlgType::mtInformation);
        return true;
    }
    auto touched = std::make_unique<kdx::SectorBitmap>(sectors);
    // The apply's own walk refuses damaged records later, with its own message.
    if (!kdx::MarkTouchedSectors(patch, writes.records, *touched)) return true;
    const kdx::MarkedCheck check = kdx::CheckMarkedSectors(image, *touched, true);
    if (!check.ok) {
        Say(commands::text::CantReadSectors(kdx::SystemErrorText(check.error)), platform::MsgDlgType::mtError);
        return false;
    }
    right_ = std::move(touched);
    return true;
}

bool SectorExtra::AfterWrite(const kdx::Patch&, kdx::File&, kdx::File& image, const kdx::WriteChoice&)
{
    if (!right_) return true;
    const kdx::MarkedRepair repair = kdx::RepairMarkedSectors(image, *right_);
    if (!repair.ok) {
        Say(commands::text::CantWriteImage(kdx::SystemErrorText(repair.error)), platform::MsgDlgType::mtError);
        return false;
    }
    Say(commands::text::SectorsUpdated(repair.updated), platform::MsgDlgType::mtInformation);
    return true;
}

}  // namespace cli
