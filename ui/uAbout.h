// TfrmAbout: the borderless About window's handlers, written once against
// the platform controls and services.
#pragma once

#include "platform/Controls.h"

#include <string>

namespace ui {

namespace text {
// The error box of a guide that cannot be shown.
inline std::string CantOpenGuide(const std::string& path, const std::string& reason)
{
    return "Can't open the guide (" + reason + ") ...\r(" + path + ")";
}
}  // namespace text

struct AboutControls {
    platform::Form& frmAbout;
    platform::Label& lblWeb;
};

class TfrmAbout {
public:
    // frmMain is the main window, read for the placement at each showing.
    // The label names the program's guide (Guide.h), found from the
    // program's path (the command line's first entry) at each click.
    TfrmAbout(AboutControls controls, const platform::Form& frmMain);

    // Shows the window modally (the About command): FormShow, then on the
    // first showing only the design placement centred over the main window.
    void ShowModal();
    // Places the window 50 px right of and 80 px below the main window.
    void FormShow();
    void aboutImageClick();
    void aboutImageMouseMove();
    // Opens the guide; the About window stays. An error box if it cannot.
    void lblWebClick();
    void lblWebMouseMove();

private:
    void PlaceCentredOverMain();

    AboutControls controls_;
    const platform::Form& frmMain_;
    bool shownBefore_ = false;
};

}  // namespace ui
