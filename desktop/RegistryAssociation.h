// The file-type association as keys of a registry of file classes.
#pragma once

#include "desktop/Registry.h"

#include <string>

namespace desktop {

// Writes, in this order and closing each key before the next is opened:
// "." + extension = extension + "file"; the key extension + "file" (no
// value); its "DefaultIcon" = programPath + ",0"; its "shell\open\command" =
// the quoted program path and "%1" in quotes. Then notifies the shell.
// The first failure ends it with a std::runtime_error ("Failed to set data
// for ''" or "Failed to create key " + class): what was written stays, the
// shell is not notified, and no key is left open.
void RegisterFileClass(Registry& registry, const std::string& extension, const std::string& programPath);

// The command that opens a file: the program path in quotes, so that a path
// with blanks names one program, then the file as "%1".
std::string OpenCommandFor(const std::string& programPath);

}  // namespace desktop
