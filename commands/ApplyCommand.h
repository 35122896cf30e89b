// The Apply command: writes the loaded patch into the chosen image in place.
#pragma once

#include "commands/PatchState.h"
#include "kdx/File.h"
#include "kdx/Image.h"
#include "platform/Controls.h"

#include <string>

namespace commands {

// The Apply button's handler. Refuses while an apply runs or without an
// image or a patch; the image may be a cue sheet (its track files are the
// image, the sheet is never written); checks the image (asking the user when a check fails);
// writes; shows success and resets the window. Ends with Abort on every
// refusal, failure or No, after its message.
void btnApplyClick(PatchState& state, platform::PatchControls& window);

// Clears the busy flag, closes both files, restores the cursor and pumps
// once. False when closing the image failed (its reason in reason).
bool FinishPatching(PatchState& state, kdx::File& patch, kdx::Image& image, std::string* reason = nullptr);

// Empties the window for the next job.
void ResetWindow(platform::PatchControls& window);

}  // namespace commands
