// Whether a standard stream is a terminal that a person types into or reads.
#pragma once

#include <cstdio>

namespace platform::console {

// True for a terminal (POSIX) or a console (Windows). A file, a pipe or a
// null device is none: on Windows the C library's isatty calls any
// character device a terminal, NUL included.
bool IsTerminal(std::FILE* stream);

}  // namespace platform::console
