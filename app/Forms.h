// The two windows of mendrix on a backend's window type: the real windows
// built from the stored designs, the forms over them, and every event bound
// to its form's handler (each through platform::Dispatch). Written once for
// every backend whose window offers these bindings.
#pragma once

#include "platform/Dispatch.h"
#include "ui/Designs.h"
#include "ui/uAbout.h"
#include "ui/uMain.h"

#include <cstdint>
#include <string>
#include <vector>

namespace app {

template <typename Window>
class Forms {
public:
    // Creates frmMain and runs its FormCreate, then the hidden frmAbout.
    // Needs the backend's application (if any) and the installed services.
    Forms()
        : mainWindow(ui::MainDesign(), nullptr),
          aboutWindow(ui::AboutDesign(), &mainWindow),
          frmAbout({aboutWindow, aboutWindow.LabelOf("lblWeb")}, mainWindow),
          frmMain({mainWindow, mainWindow.EditOf("edtImage"), mainWindow.EditOf("edtKDX"),
                   mainWindow.MemoOf("infMemo"), mainWindow.CheckBoxOf("cbUndo")},
                  frmAbout)
    {
        mainWindow.OnFirstShow([this] { frmMain.FormShow(); });
        mainWindow.OnDropFiles([this](const std::vector<std::string>& names) { frmMain.HandleDropFiles(names); });
        mainWindow.OnSysCommand([this](std::uint32_t command) { frmMain.HandleSysCommand(command); });
        mainWindow.OnCloseQuery([this] { return frmMain.FormCloseQuery(); });
        mainWindow.OnClick("btnApply", [this] { frmMain.btnApplyClick(); });
        mainWindow.OnClick("btnKDX", [this] { frmMain.btnKDXClick(); });
        mainWindow.OnClick("btnImage", [this] { frmMain.btnImageClick(); });
        mainWindow.OnClick("btnAbout", [this] { frmMain.btnAboutClick(); });
        mainWindow.OnClick("btnClose", [this] { frmMain.btnCloseClick(); });
        aboutWindow.OnClick("aboutImage", [this] { frmAbout.aboutImageClick(); });
        aboutWindow.OnMouseMove("aboutImage", [this] { frmAbout.aboutImageMouseMove(); });
        aboutWindow.OnClick("lblWeb", [this] { frmAbout.lblWebClick(); });
        aboutWindow.OnMouseMove("lblWeb", [this] { frmAbout.lblWebMouseMove(); });
        platform::Dispatch([this] { frmMain.FormCreate(); });
    }
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    Window mainWindow;
    Window aboutWindow;
    ui::TfrmAbout frmAbout;
    ui::TfrmMain frmMain;
};

}  // namespace app
