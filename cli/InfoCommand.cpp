#include "Commands.h"

#include "../engine/LoadPatch.h"
#include "../platform/Dispatch.h"
#include "../platform/MemoText.h"

#include <cstdio>

namespace cli {

int Info(const std::string& patch)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    Window window;
    auto controls = window.Controls();
    if (platform::Dispatch([&] { engine::LoadPatch(controls, patch); }) != platform::Outcome::Completed)
        return kExitFailed;
    // Patch bytes never reach the terminal raw: control bytes print as "?".
    for (const std::string& line : platform::DisplayLines(window.infMemo.Lines()))
        std::printf("%s\n", platform::Cp1252ToUtf8(line, true).c_str());
    return kExitOk;
}

}  // namespace cli
