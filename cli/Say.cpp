#include "cli/Commands.h"

#include "commands/Messages.h"
#include "platform/Services.h"

namespace cli {

std::optional<kdx::Patch> ReadPatchOrSay(const std::string& path)
{
    using platform::MsgDlgButtons;
    using platform::MsgDlgType;
    kdx::ReadResult read = kdx::ReadPatch(path);
    switch (read.status) {
    case kdx::ReadStatus::Read: return std::move(read.patch);
    case kdx::ReadStatus::CantOpen:
        platform::MessageDlg(commands::text::CantOpenKdx(path), MsgDlgType::mtError, MsgDlgButtons::mbOK);
        break;
    case kdx::ReadStatus::NotKdx:
        platform::MessageDlg(commands::text::NoValidKdx(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        break;
    case kdx::ReadStatus::UnknownMethod:
        platform::MessageDlg(commands::text::UnknownMethod(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        break;
    }
    return std::nullopt;
}

}  // namespace cli
