// What a user reads when a cue sheet is refused.
#pragma once

#include "kdx/CueSheet.h"

#include <string>

namespace commands {

// "Cue sheet line N: why." (without the line for the sheet as a whole);
// empty for no fault.
std::string CueProblemText(const kdx::CueProblem& problem);

}  // namespace commands
