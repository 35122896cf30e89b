// TfrmAbout: the borderless About window's handlers, written once against
// the platform controls and services.
#pragma once

#include "platform/Controls.h"

#include <string>

namespace ui {

struct AboutControls {
    platform::Form& frmAbout;
    platform::Label& lblWeb;
};

class TfrmAbout {
public:
    // frmMain is the main window, read for the placement at each showing.
    // The label shows the program's address (Homepage.h), found from the
    // program's path (the command line's first entry).
    TfrmAbout(AboutControls controls, const platform::Form& frmMain);

    // Shows the window modally (the About command): FormShow, then on the
    // first showing only the design placement centred over the main window.
    void ShowModal();
    // Places the window 50 px right of and 80 px below the main window.
    void FormShow();
    void aboutImageClick();
    void aboutImageMouseMove();
    void lblWebClick();
    void lblWebMouseMove();

private:
    void PlaceCentredOverMain();

    AboutControls controls_;
    const platform::Form& frmMain_;
    std::string address_;  // the label's text and what a click on it opens
    bool shownBefore_ = false;
};

}  // namespace ui
