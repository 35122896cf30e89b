// Text at the Windows boundary, as the file layer converts it: the program
// keeps UTF-8, every Windows call takes UTF-16.
#pragma once

#include "kdx/Utf16.h"

namespace platform::win32 {

using kdx::win32::FilePath;
using kdx::win32::Narrow;
using kdx::win32::Widen;

}  // namespace platform::win32
