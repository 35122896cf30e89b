// The busy flag of an apply and the cursor to restore after it.
#pragma once

#include "../platform/Services.h"

namespace engine {

// True while an apply runs its checks and writes the image.
extern bool Patching;
// The screen cursor in force when the apply began.
extern platform::Cursor SavedCursor;

}  // namespace engine
