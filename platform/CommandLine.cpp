#include "platform/CommandLine.h"

#include <utility>

namespace platform {
namespace {
std::string gProgramPath;
std::vector<std::string> gArguments;
}  // namespace

void SetCommandLine(std::string programPath, std::vector<std::string> arguments)
{
    gProgramPath = std::move(programPath);
    gArguments = std::move(arguments);
}

std::string ParamStr(std::size_t index)
{
    if (index == 0) return gProgramPath;
    return index <= gArguments.size() ? gArguments[index - 1] : std::string();
}

std::size_t ParamCount() { return gArguments.size(); }

}  // namespace platform
