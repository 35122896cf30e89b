// What a user reads of a library result: the one place where the values
// that kdx/ returns become sentences.
#pragma once

#include "kdx/Apply.h"
#include "kdx/MakePatch.h"
#include "kdx/Walk.h"

#include <string>

namespace commands {

// The error box of an apply that wrote nothing or failed; empty for Written.
std::string ApplyErrorText(const kdx::ApplyResult& result);

// Why no patch was written; empty for Written.
std::string MakeErrorText(const kdx::MakeResult& result);
// What a written patch holds; path: where it was written.
std::string MakeWrittenText(const kdx::MakeResult& result, const std::string& path);

// Why a file could not be opened, in the C library's words on every system
// (missing, denied, a folder, held by another program), so that a message
// reads the same on Linux and Windows; any other reason in the system's words.
std::string OpenReason(int error);

// The state of a record area in one or two words: "sound", "damaged",
// "negative offset", "offset out of reach".
const char* WalkVerdictName(kdx::WalkVerdict verdict);

}  // namespace commands
