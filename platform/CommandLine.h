// The process's command line as the program received it: the program's own
// full path and its arguments, unchanged bytes. Set once at start.
#pragma once

#include <string>
#include <vector>

namespace platform {

void SetCommandLine(std::string programPath, std::vector<std::string> arguments);
// 0: the program's full path; 1 and on: the arguments; "" beyond the last.
std::string ParamStr(std::size_t index);
std::size_t ParamCount();

}  // namespace platform
