#include "ui/uAbout.h"

#include "platform/CommandLine.h"
#include "platform/Services.h"
#include "ui/Guide.h"

#include <algorithm>

namespace ui {

TfrmAbout::TfrmAbout(AboutControls controls, const platform::Form& frmMain)
    : controls_(controls), frmMain_(frmMain)
{
    controls_.lblWeb.SetText(GuideCaption(GuidePath(platform::ParamStr(0))));
}

void TfrmAbout::ShowModal()
{
    FormShow();
    if (!shownBefore_) {
        shownBefore_ = true;
        PlaceCentredOverMain();
    }
    controls_.frmAbout.ShowModal();
}

void TfrmAbout::FormShow()
{
    const platform::Bounds main = frmMain_.BoundsRect();
    controls_.frmAbout.SetPosition(main.left + 50, main.top + 80);
}

void TfrmAbout::PlaceCentredOverMain()
{
    const platform::Bounds main = frmMain_.BoundsRect();
    const platform::Bounds self = controls_.frmAbout.BoundsRect();
    // Integer division rounds toward zero, as the design's placement does.
    const int left = std::max(0, main.left + (main.width - self.width) / 2);
    const int top = std::max(0, main.top + (main.height - self.height) / 2);
    controls_.frmAbout.SetPosition(left, top);
}

void TfrmAbout::aboutImageClick() { controls_.frmAbout.Close(); }

void TfrmAbout::aboutImageMouseMove()
{
    controls_.lblWeb.SetFontColor(platform::clBlack);
    controls_.lblWeb.SetUnderlined(false);
}

void TfrmAbout::lblWebClick()
{
    const std::string guide = GuidePath(platform::ParamStr(0));
    const std::string reason = platform::Ui().OpenDocument(guide);
    if (!reason.empty())
        platform::MessageDlg(text::CantOpenGuide(guide, reason), platform::MsgDlgType::mtError,
                             platform::MsgDlgButtons::mbOK);
}

void TfrmAbout::lblWebMouseMove()
{
    controls_.lblWeb.SetFontColor(platform::clBlue);
    controls_.lblWeb.SetUnderlined(true);
}

}  // namespace ui
