#include "platform/console/Terminal.h"

#include <unistd.h>

namespace platform::console {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

}  // namespace platform::console
