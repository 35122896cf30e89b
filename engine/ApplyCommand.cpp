#include "ApplyCommand.h"

#include "LoadedPatch.h"
#include "Messages.h"
#include "PatchingState.h"
#include "VersionUnits.h"
#include "uStd.h"

#include "../platform/Abort.h"
#include "../platform/Services.h"

namespace engine {

bool Patching = false;
platform::Cursor SavedCursor = platform::crDefault;

using platform::ModalResult;
using platform::MsgDlgButtons;
using platform::MsgDlgType;

namespace {

void Warn(const std::string& text) { platform::MessageDlg(text, MsgDlgType::mtWarning, MsgDlgButtons::mbOK); }
void Fail(const std::string& text) { platform::MessageDlg(text, MsgDlgType::mtError, MsgDlgButtons::mbOK); }
bool AnsweredNo(const std::string& question)
{
    return platform::MessageDlg(question, MsgDlgType::mtWarning, MsgDlgButtons::mbYesNo) == ModalResult::mrNo;
}

// Releases what an apply holds should an unexpected error unwind through it;
// the ordinary ways out release it themselves.
class ApplyGuard {
public:
    ApplyGuard() = default;
    ~ApplyGuard()
    {
        if (!armed_) return;
        Patching = false;
        uStd::PatchFile.Close();
        uStd::ImageFile.Close();
        try {
            platform::Ui().SetScreenCursor(SavedCursor);
        } catch (...) {
            // No backend left to restore a cursor on.
        }
    }
    ApplyGuard(const ApplyGuard&) = delete;
    ApplyGuard& operator=(const ApplyGuard&) = delete;
    void Disarm() { armed_ = false; }

private:
    bool armed_ = true;
};

}  // namespace

bool FinishPatching(std::string* reason)
{
    Patching = false;
    uStd::PatchFile.Close();
    const bool closed = uStd::ImageFile.Close();
    if (!closed && reason != nullptr) *reason = uStd::ImageFile.LastErrorText();
    platform::Ui().SetScreenCursor(SavedCursor);
    platform::ProcessMessages();
    return closed;
}

void ResetWindow(platform::PatchControls& window)
{
    window.edtImage.Clear();
    window.edtKDX.Clear();
    window.infMemo.Clear();
    window.cbUndo.SetChecked(false);
    window.cbUndo.SetEnabled(false);
    window.frmMain.SetCaption(text::kResetCaption);
}

void btnApplyClick(platform::PatchControls& window)
{
    if (Patching) {
        Warn(text::kStillPatchingApply);
        platform::Abort();
    }
    if (window.edtImage.Text().empty()) {
        Warn(text::kSelectImage);
        platform::Abort();
    }
    if (window.edtKDX.Text().empty()) {
        Warn(text::kSelectKdx);
        platform::Abort();
    }
    const std::string imagePath = window.edtImage.Text();
    const std::string patchPath = window.edtKDX.Text();
    if (!uStd::OpenReadWrite(uStd::ImageFile, imagePath)) {
        Fail(text::CantOpenImage(imagePath));
        platform::Abort();
    }
    if (!uStd::OpenReadOnly(uStd::PatchFile, patchPath)) {
        uStd::ImageFile.Close();
        Fail(text::CantOpenPatch(patchPath));
        platform::Abort();
    }
    SavedCursor = platform::Ui().ScreenCursor();
    ApplyGuard guard;
    platform::Ui().SetScreenCursor(platform::crHourGlass);

    const auto cancelExit = [&]() {
        guard.Disarm();
        FinishPatching();
        ResetWindow(window);
        platform::Abort();
    };

    const VersionUnit* unit = UnitForMethod(uStd::ReadEncMethod(uStd::PatchFile));
    if (unit == nullptr) {
        // Only a patch changed after its load gets here: a load refuses such a method.
        Warn(text::UnknownMethod(patchPath));
        cancelExit();
    }
    Patching = true;
    window.frmMain.SetCaption(text::kPatchingCaption);

    // The unit works from the header state of the last load: another file
    // under the same name would have garbage written into the image.
    if (!StillAsLoaded(uStd::PatchFile, unit->Loaded(), patchPath)) {
        Fail(text::PatchChanged(patchPath));
        cancelExit();
    }
    if (unit->CheckImageSize != nullptr && !unit->CheckImageSize(uStd::ImageFile) && AnsweredNo(text::kSizeQuestion))
        cancelExit();
    if (unit->ValidateImage != nullptr && !unit->ValidateImage(uStd::ImageFile) && AnsweredNo(text::kBlockQuestion))
        cancelExit();

    const bool undo = unit->ApplyUndo != nullptr && window.cbUndo.Checked() && HasUndo(*unit);
    const bool written = undo ? unit->ApplyUndo(uStd::PatchFile, uStd::ImageFile)
                              : unit->ApplyPatch(uStd::PatchFile, uStd::ImageFile);
    if (!written) cancelExit();

    guard.Disarm();
    std::string reason;
    if (!FinishPatching(&reason)) {
        Fail(text::CantWriteImage(reason));
        ResetWindow(window);
        platform::Abort();
    }
    platform::MessageDlg(text::kSuccess, MsgDlgType::mtInformation, MsgDlgButtons::mbOK);
    ResetWindow(window);
}

}  // namespace engine
