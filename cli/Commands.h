// The commands of mendrix-cli. Each returns the process's exit status:
// 0 completed, 1 refused, cancelled or failed (after its message).
#pragma once

#include "../platform/Controls.h"
#include "../platform/console/ConsoleServices.h"

#include <string>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The main window's patch controls, held in memory for a terminal run.
struct Window {
    platform::Form frmMain;
    platform::Edit edtImage;
    platform::Edit edtKDX;
    platform::Memo infMemo;
    platform::CheckBox cbUndo;
    platform::PatchControls Controls() { return {frmMain, edtImage, edtKDX, infMemo, cbUndo}; }
};

int Info(const std::string& patch);

struct ApplyOptions {
    std::string patch;
    std::string image;
    bool undo = false;
    platform::console::Answer answer = platform::console::Answer::Ask;
};
int Apply(const ApplyOptions& options);

}  // namespace cli
