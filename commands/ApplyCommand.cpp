#include "commands/ApplyCommand.h"

#include "commands/CueTexts.h"
#include "commands/Messages.h"
#include "commands/ResultTexts.h"
#include "kdx/Apply.h"
#include "kdx/Validate.h"
#include "platform/Abort.h"
#include "platform/Services.h"

namespace commands {

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

// One pump per record keeps the window live and lets nested commands run.
class PumpObserver final : public kdx::Observer {
public:
    explicit PumpObserver(PatchState& state) : state_(state) {}
    void Step(std::int64_t done, std::int64_t total) override
    {
        state_.progress = {done, total};
        platform::ProcessMessages();
    }

private:
    PatchState& state_;
};

// Releases what an apply holds should an unexpected error unwind through it;
// the ordinary ways out release it themselves. The files close with their objects.
class ApplyGuard {
public:
    explicit ApplyGuard(PatchState& state) : state_(state) {}
    ~ApplyGuard()
    {
        if (!armed_) return;
        state_.Patching = false;
        try {
            platform::Ui().SetScreenCursor(state_.SavedCursor);
        } catch (...) {
            // No backend left to restore a cursor on.
        }
    }
    ApplyGuard(const ApplyGuard&) = delete;
    ApplyGuard& operator=(const ApplyGuard&) = delete;
    void Disarm() { armed_ = false; }

private:
    PatchState& state_;
    bool armed_ = true;
};

}  // namespace

bool FinishPatching(PatchState& state, kdx::File& patch, kdx::Image& image, std::string* reason)
{
    state.Patching = false;
    patch.Close();
    const bool closed = image.Close();
    if (!closed && reason != nullptr) *reason = image.LastErrorText();
    platform::Ui().SetScreenCursor(state.SavedCursor);
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

void btnApplyClick(PatchState& state, platform::PatchControls& window)
{
    state.openError = 0;
    if (state.Patching) {
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
    kdx::Image image(state.files);
    if (const kdx::ImageOpenResult opened = image.Open(imagePath, true); !opened.ok()) {
        state.openError = opened.error;
        Fail(ImageOpenText(opened));
        platform::Abort();
    }
    kdx::File patch(state.files);
    if (!kdx::OpenReadOnly(patch, patchPath)) {
        state.openError = patch.LastError();
        image.Close();
        Fail(text::CantOpenPatch(patchPath));
        platform::Abort();
    }
    state.SavedCursor = platform::Ui().ScreenCursor();
    ApplyGuard guard(state);
    platform::Ui().SetScreenCursor(platform::crHourGlass);

    const auto cancelExit = [&]() {
        guard.Disarm();
        FinishPatching(state, patch, image);
        ResetWindow(window);
        platform::Abort();
    };

    const kdx::VersionLayout* layout = kdx::LayoutForMethod(kdx::ReadMethod(patch));
    if (layout == nullptr) {
        // Only a patch changed after its load gets here: a load refuses such a method.
        Warn(text::UnknownMethod(patchPath));
        cancelExit();
    }
    state.Patching = true;
    window.frmMain.SetCaption(text::kPatchingCaption);

    // The apply works from the header the load read: another file under the
    // same name would have garbage written into the image.
    const std::optional<kdx::Patch> loaded = state.lastLoad[static_cast<std::size_t>(layout->method)];
    if (!loaded || !kdx::StillAsRead(patch, *loaded, patchPath)) {
        Fail(text::PatchChanged(patchPath));
        cancelExit();
    }
    if (layout->storesImageSize && !kdx::CheckImageSize(*loaded, image) && AnsweredNo(text::kSizeQuestion))
        cancelExit();
    if (!kdx::ValidateImage(*loaded, image) && AnsweredNo(text::kBlockQuestion)) cancelExit();

    const kdx::WriteChoice writes = loaded->Writes(window.cbUndo.Checked());
    for (ApplyExtra* extra : state.extras)
        if (!extra->BeforeWrite(*loaded, patch, image, writes)) cancelExit();
    PumpObserver observer(state);
    const kdx::ApplyResult written = kdx::ApplyPatch(*loaded, patch, image, writes, observer);
    if (!written.Written()) {
        Fail(ApplyErrorText(written));
        cancelExit();
    }
    for (ApplyExtra* extra : state.extras)
        if (!extra->AfterWrite(*loaded, patch, image, writes)) cancelExit();

    guard.Disarm();
    std::string reason;
    if (!FinishPatching(state, patch, image, &reason)) {
        Fail(text::CantWriteImage(reason));
        ResetWindow(window);
        platform::Abort();
    }
    platform::MessageDlg(state.successText, MsgDlgType::mtInformation, MsgDlgButtons::mbOK);
    ResetWindow(window);
}

}  // namespace commands
