#include "app/Win32Forms.h"

#include "platform/Dispatch.h"
#include "ui/Designs.h"

namespace app {

Win32Forms::Win32Forms()
    : mainWindow(ui::MainDesign(), nullptr),
      aboutWindow(ui::AboutDesign(), &mainWindow),
      frmAbout({aboutWindow, aboutWindow.LabelOf("lblWeb")}, mainWindow),
      frmMain({mainWindow, mainWindow.EditOf("edtImage"), mainWindow.EditOf("edtKDX"), mainWindow.MemoOf("infMemo"),
               mainWindow.CheckBoxOf("cbUndo")},
              frmAbout)
{
    mainWindow.OnFirstShow([this] { frmMain.FormShow(); });
    mainWindow.OnDropFiles([this](const std::vector<std::string>& names) { frmMain.HandleDropFiles(names); });
    mainWindow.OnSysCommand([this](std::uint32_t command) { frmMain.HandleSysCommand(command); });
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

}  // namespace app
