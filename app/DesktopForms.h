// The two windows of mendrix on the Qt backend: the real widgets built from
// the stored designs, the forms over them, and every widget event bound to
// its form's handler (each through platform::Dispatch).
#pragma once

#include "platform/qt/QtWindow.h"
#include "ui/uAbout.h"
#include "ui/uMain.h"

namespace app {

class DesktopForms {
public:
    // Creates frmMain and runs its FormCreate, then the hidden frmAbout.
    // Needs the QApplication and the installed services.
    DesktopForms();

    platform::qt::QtWindow mainWindow;
    platform::qt::QtWindow aboutWindow;
    ui::TfrmAbout frmAbout;
    ui::TfrmMain frmMain;
};

}  // namespace app
