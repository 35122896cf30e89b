// The two windows of mendrix on the Win32 backend: the real windows built
// from the stored designs, the forms over them, and every event bound to
// its form's handler (each through platform::Dispatch).
#pragma once

#include "platform/win32/Win32Window.h"
#include "ui/uAbout.h"
#include "ui/uMain.h"

namespace app {

class Win32Forms {
public:
    // Creates frmMain and runs its FormCreate, then the hidden frmAbout.
    // Needs the installed services.
    Win32Forms();

    platform::win32::Win32Window mainWindow;
    platform::win32::Win32Window aboutWindow;
    ui::TfrmAbout frmAbout;
    ui::TfrmMain frmMain;
};

}  // namespace app
