// Loading a patch into the main window: the patch browse button, a dropped
// ".kdx" file and the command line all come here.
#pragma once

#include "commands/PatchState.h"
#include "platform/Controls.h"

#include <string>

namespace commands {

// Reads the patch, keeps it as its version's last load, lists its lines in
// the memo and puts the path into the patch edit. On failure shows its
// message and ends the command with Abort. Refused (warning, nothing
// changed) while an apply runs.
void LoadPatch(PatchState& state, platform::PatchControls& window, const std::string& path);

}  // namespace commands
