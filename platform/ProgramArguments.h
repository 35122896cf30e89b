// The program's arguments as UTF-8 and its standard streams as bytes,
// whatever the system passes and writes them as.
#pragma once

#include <string>
#include <vector>

namespace platform {

// argv[0] and on, as main received them; on Windows taken again from the
// UTF-16 command line, since main's argv holds them in the ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard output and error pass bytes unchanged: Windows' C runtime would
// otherwise write every "\n" as "\r\n".
void UseByteStreams();

}  // namespace platform
