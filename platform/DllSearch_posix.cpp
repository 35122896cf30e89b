#include "platform/DllSearch.h"

namespace platform {

void LoadDllsFromSystemOnly() {}

}  // namespace platform
