#include "LoadPatch.h"

#include "Messages.h"
#include "PatchingState.h"
#include "VersionUnits.h"
#include "uStd.h"

#include "../platform/Abort.h"
#include "../platform/Services.h"

namespace engine {

using platform::MsgDlgButtons;
using platform::MsgDlgType;

void LoadPatch(platform::PatchControls& window, const std::string& path)
{
    // The running apply owns the patch handle and the units' state.
    if (Patching) {
        platform::MessageDlg(text::kStillPatchingLoad, MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        platform::Abort();
    }
    window.cbUndo.SetEnabled(false);
    if (!uStd::OpenReadOnly(uStd::PatchFile, path)) {
        platform::MessageDlg(text::CantOpenKdx(path), MsgDlgType::mtError, MsgDlgButtons::mbOK);
        window.edtKDX.Clear();
        window.infMemo.Clear();
        platform::Abort();
    }
    uStd::CloseGuard closePatch(uStd::PatchFile);
    if (!uStd::CheckMagic(uStd::PatchFile)) {
        platform::MessageDlg(text::NoValidKdx(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        uStd::PatchFile.Close();
        window.edtKDX.Clear();
        window.infMemo.Clear();
        platform::Abort();
    }
    const VersionUnit* unit = UnitForMethod(uStd::ReadEncMethod(uStd::PatchFile));
    if (unit == nullptr) {
        platform::MessageDlg(text::UnknownMethod(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        uStd::PatchFile.Close();
        platform::Abort();
    }
    unit->ReadHeader(uStd::PatchFile, path);
    if (HasUndo(*unit)) window.cbUndo.SetEnabled(true);
    window.infMemo.Clear();
    window.infMemo.Append(unit->BuildInfoLines());
    uStd::PatchFile.Close();
    window.edtKDX.SetText(path);
}

}  // namespace engine
