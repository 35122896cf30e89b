#include "platform/ProgramArguments.h"

namespace platform {

// POSIX hands over the bytes as given; they are UTF-8 on every desktop we run on.
std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

void UseByteStreams() {}

}  // namespace platform
