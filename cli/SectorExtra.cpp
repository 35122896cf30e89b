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

bool SectorExtra::BeforeWrite(const kdx::Patch&, kdx::File& patch, kdx::Image& image, const kdx::WriteChoice& writes)
{
    right_.reset();
    const kdx::RawVerdict verdict = kdx::LayOutSectors(image, layout_);
    if (verdict == kdx::RawVerdict::Unreadable) {
        Say(commands::text::CantReadSectors(image.LastErrorText()), platform::MsgDlgType::mtError);
        return false;
    }
    if (verdict != kdx::RawVerdict::Raw || !layout_.AnyChecked()) {
        const std::string why = verdict != kdx::RawVerdict::Raw ? kdx::NotRawMessage(verdict) : commands::text::kNoTrackWithEdc;
        Say(commands::text::FixSectorsNotRaw(why), platform::MsgDlgType::mtInformation);
        return true;
    }
    auto touched = std::make_unique<kdx::SectorBitmap>(layout_.sectors);
    // The apply's own walk refuses damaged records later, with its own message.
    if (!kdx::MarkTouchedSectors(patch, writes.records, layout_, *touched)) return true;
    const kdx::MarkedCheck check = kdx::CheckMarkedSectors(image, layout_, *touched, true);
    if (!check.ok) {
        Say(commands::text::CantReadSectors(check.reason), platform::MsgDlgType::mtError);
        return false;
    }
    right_ = std::move(touched);
    return true;
}

bool SectorExtra::AfterWrite(const kdx::Patch&, kdx::File&, kdx::Image& image, const kdx::WriteChoice&)
{
    if (!right_) return true;
    const kdx::MarkedRepair repair = kdx::RepairMarkedSectors(image, layout_, *right_);
    if (!repair.ok) {
        Say(commands::text::CantWriteImage(repair.reason), platform::MsgDlgType::mtError);
        return false;
    }
    Say(commands::text::SectorsUpdated(repair.updated), platform::MsgDlgType::mtInformation);
    return true;
}

}  // namespace cli
