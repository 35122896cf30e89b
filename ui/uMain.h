// TfrmMain: the main window's handlers, written once against the platform
// controls and services. A backend builds the widgets from MainDesign()
// and routes each event to its handler through platform::Dispatch.
#pragma once

#include "commands/PatchState.h"
#include "platform/Controls.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class TfrmAbout;

// The command id of the window's "&Associate 'kdx' files" entry.
inline constexpr std::uint32_t AssociateCommand = 0xF200;

// The extensions that make a dropped file an image, in the order compared.
inline constexpr std::array<std::string_view, 11> ImageExtensions = {
    ".bin", ".gi", ".nrg", ".iso", ".img", ".c2d", ".dao", ".cif", ".gcd", ".p01", ".tao"};
// A dropped cue sheet is an image too: its track files are.
inline constexpr std::string_view CueExtension = ".cue";

namespace text {
inline constexpr const char* kStartCaption = "KDX patcher for CD images (MENDRIX v3.0)";
inline constexpr const char* kAssociateEntry = "&Associate 'kdx' files";
inline constexpr const char* kAssociated = "Associated 'kdx' filetypes with mendrix v3.0";
inline constexpr const char* kStillPatchingQuit = "Still patching image, you can't quit now!";
inline constexpr const char* kQuitQuestion = "Do you really want to quit?";
inline constexpr const char* kImageDialogTitle = "Open CD-Image...";
inline constexpr const char* kImageFilter =
    "CD Images|*.bin;*.gi;*.nrg;*.iso;*.img;*.C2D;*.DAO;*.CIF;*.GCD;*.P01;*.TAO|All Files (*.*)|*.*";
inline constexpr const char* kKdxDialogTitle = "Open KDX-File";
inline constexpr const char* kKdxFilter = "KDX-Files (*.kdx)|*.kdx|All Files (*.*)|*.*";
}  // namespace text

// The extension of a dropped name: from its last "." to the end, dot
// included, unless a path separator ("\", ":" or "/") follows that dot;
// ASCII letters lower-cased. Empty when there is none.
std::string DropExtension(const std::string& name);

class TfrmMain {
public:
    // controls.frmMain is this window; about is shown by the About button.
    TfrmMain(platform::PatchControls controls, TfrmAbout& about);

    // Once, before the window is first shown: keeps ExePath, adds the
    // association entry to the system menu, accepts dropped files.
    void FormCreate();
    // When the window is first shown: loads the first argument, if any.
    void FormShow();
    // Files dropped on the window: only the last name counts.
    void HandleDropFiles(const std::vector<std::string>& names);
    // A system-menu command; only AssociateCommand does anything here.
    void HandleSysCommand(std::uint32_t command);
    void btnImageClick();
    void btnKDXClick();
    void btnAboutClick();
    void btnCloseClick();
    void btnApplyClick();
    // A request to close the window (its close button, the system menu, the
    // keyboard). Asks nothing; answers whether the window may close now.
    // During an apply it stays, busy cursor and all, until the apply has
    // ended and the image is on the disk, and then closes.
    bool FormCloseQuery();

    void LoadPatch(const std::string& path);
    // The running program's full path, taken by FormCreate.
    const std::string& ExePath() const { return exePath_; }
    platform::PatchControls& Controls() { return controls_; }
    // The last loads, the busy flag and the saved cursor of this window's commands.
    commands::PatchState& State() { return state_; }
    bool Patching() const { return state_.Patching; }

private:
    void RefuseLoadWhilePatching();
    void CloseIfAsked();

    platform::PatchControls controls_;
    commands::PatchState state_;
    TfrmAbout& about_;
    std::string exePath_;
    bool closeAsked_ = false;  // a close came while patching
};

}  // namespace ui
