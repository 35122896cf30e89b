#include "platform/DllSearch.h"

#include <windows.h>

namespace platform {

// Present since Windows 8, and in Windows 7 with its security updates; a
// failure leaves the system's default order, which the program can still run with.
void LoadDllsFromSystemOnly() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

}  // namespace platform
