// The two windows of mendrix on the Win32 backend.
#pragma once

#include "app/Forms.h"
#include "platform/win32/Win32Window.h"

namespace app {

using Win32Forms = Forms<platform::win32::Win32Window>;

}  // namespace app
