#include "platform/console/Terminal.h"

#include <windows.h>
#include <io.h>

namespace platform::console {

bool IsTerminal(std::FILE* stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace platform::console
