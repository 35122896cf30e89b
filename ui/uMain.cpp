#include "ui/uMain.h"

#include "ui/uAbout.h"

#include "commands/ApplyCommand.h"
#include "commands/LoadPatch.h"
#include "commands/Messages.h"
#include "platform/Abort.h"
#include "platform/CommandLine.h"
#include "platform/Services.h"

#include <algorithm>

namespace ui {

using platform::ModalResult;
using platform::MsgDlgButtons;
using platform::MsgDlgType;

std::string DropExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find_first_of("\\:/", dot) != std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

TfrmMain::TfrmMain(platform::PatchControls controls, TfrmAbout& about) : controls_(controls), about_(about) {}

void TfrmMain::FormCreate()
{
    exePath_ = platform::ParamStr(0);
    controls_.frmMain.AppendSystemMenu(text::kAssociateEntry, AssociateCommand);
    controls_.frmMain.AcceptFiles(true);
}

void TfrmMain::FormShow()
{
    const std::string patch = platform::ParamStr(1);
    if (!patch.empty()) LoadPatch(patch);
}

void TfrmMain::HandleDropFiles(const std::vector<std::string>& names)
{
    // A drop without names does not come from the desktop: nothing to do.
    if (names.empty()) return;
    const std::string& name = names.back();
    const std::string ext = DropExtension(name);
    if (ext == ".kdx") {
        RefuseLoadWhilePatching();
        LoadPatch(name);
        return;
    }
    if (ext == CueExtension || std::find(ImageExtensions.begin(), ImageExtensions.end(), ext) != ImageExtensions.end())
        controls_.edtImage.SetText(name);
}

void TfrmMain::HandleSysCommand(std::uint32_t command)
{
    if (command != AssociateCommand) return;
    platform::Ui().AssociateFileType("kdx", exePath_);
    platform::MessageDlg(text::kAssociated, MsgDlgType::mtInformation, MsgDlgButtons::mbOK);
}

void TfrmMain::btnImageClick()
{
    if (auto path = platform::Ui().OpenFileDialog(text::kImageDialogTitle, text::kImageFilter))
        controls_.edtImage.SetText(*path);
}

void TfrmMain::btnKDXClick()
{
    RefuseLoadWhilePatching();
    if (auto path = platform::Ui().OpenFileDialog(text::kKdxDialogTitle, text::kKdxFilter)) LoadPatch(*path);
}

void TfrmMain::RefuseLoadWhilePatching()
{
    // A running apply works from its version's last load: a new patch is
    // refused before anything (a dialog included) is shown for it.
    if (!state_.Patching) return;
    platform::MessageDlg(commands::text::kStillPatchingLoad, MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
    platform::Abort();
}

void TfrmMain::btnAboutClick() { about_.ShowModal(); }

void TfrmMain::btnCloseClick()
{
    if (state_.Patching) {
        platform::MessageDlg(text::kStillPatchingQuit, MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        platform::Abort();
    }
    // Only No keeps the program: a box closed without an answer quits too.
    if (platform::MessageDlg(text::kQuitQuestion, MsgDlgType::mtConfirmation, MsgDlgButtons::mbYesNo) ==
        ModalResult::mrNo)
        platform::Abort();
    controls_.frmMain.Close();
}

void TfrmMain::btnApplyClick()
{
    try {
        commands::btnApplyClick(state_, controls_);
    } catch (...) {
        CloseIfAsked();
        throw;
    }
    CloseIfAsked();
}

bool TfrmMain::FormCloseQuery()
{
    if (!state_.Patching) return true;
    closeAsked_ = true;
    return false;
}

void TfrmMain::CloseIfAsked()
{
    // A nested Apply that was refused returns while the outer one still writes.
    if (!closeAsked_ || state_.Patching) return;
    closeAsked_ = false;
    controls_.frmMain.Close();
}

void TfrmMain::LoadPatch(const std::string& path) { commands::LoadPatch(state_, controls_, path); }

}  // namespace ui
