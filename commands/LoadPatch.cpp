#include "commands/LoadPatch.h"

#include "commands/InfoLines.h"
#include "commands/Messages.h"
#include "platform/Abort.h"
#include "platform/Services.h"

namespace commands {

using platform::MsgDlgButtons;
using platform::MsgDlgType;

void LoadPatch(PatchState& state, platform::PatchControls& window, const std::string& path)
{
    // The running apply works from the last load of its version.
    if (state.Patching) {
        platform::MessageDlg(text::kStillPatchingLoad, MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        platform::Abort();
    }
    state.openError = 0;
    window.cbUndo.SetEnabled(false);
    kdx::ReadResult read = kdx::ReadPatch(path, state.files);
    switch (read.status) {
    case kdx::ReadStatus::Read: break;
    case kdx::ReadStatus::CantOpen:
        state.openError = read.error;
        platform::MessageDlg(text::CantOpenKdx(path), MsgDlgType::mtError, MsgDlgButtons::mbOK);
        window.edtKDX.Clear();
        window.infMemo.Clear();
        platform::Abort();
    case kdx::ReadStatus::NotKdx:
        platform::MessageDlg(text::NoValidKdx(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        window.edtKDX.Clear();
        window.infMemo.Clear();
        platform::Abort();
    case kdx::ReadStatus::UnknownMethod:
        platform::MessageDlg(text::UnknownMethod(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        platform::Abort();
    }
    const kdx::Patch& patch = state.lastLoad[static_cast<std::size_t>(read.patch.Method())].emplace(std::move(read.patch));
    if (patch.HasUndoData()) window.cbUndo.SetEnabled(true);
    window.infMemo.Clear();
    window.infMemo.Append(BuildInfoLines(patch));
    window.edtKDX.SetText(path);
}

}  // namespace commands
