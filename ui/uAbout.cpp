#include "ui/uAbout.h"

#include "platform/CommandLine.h"
#include "platform/Services.h"
#include "ui/Homepage.h"

#include <algorithm>

namespace ui {

TfrmAbout::TfrmAbout(AboutControls controls, const platform::Form& frmMain)
    : controls_(controls), frmMain_(frmMain), address_(HomepageFor(platform::ParamStr(0)))
{
    controls_.lblWeb.SetText(AddressCaption(address_));
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

void TfrmAbout::lblWebClick() { platform::Ui().OpenURL(address_); }

void TfrmAbout::lblWebMouseMove()
{
    controls_.lblWeb.SetFontColor(platform::clBlue);
    controls_.lblWeb.SetUnderlined(true);
}

}  // namespace ui
