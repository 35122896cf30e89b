// Loading a patch into the main window: the patch browse button, a dropped
// ".kdx" file and the command line all come here.
#pragma once

#include "../platform/Controls.h"

#include <string>

namespace engine {

// Opens the patch, checks its magic and method, lets the version unit read
// it, lists its lines in the memo and puts the path into the patch edit.
// On failure shows its message and ends the command with Abort. Refused
// (warning, nothing changed) while an apply runs.
void LoadPatch(platform::PatchControls& window, const std::string& path);

}  // namespace engine
