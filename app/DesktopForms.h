// The two windows of mendrix on the Qt backend.
#pragma once

#include "app/Forms.h"
#include "platform/qt/QtWindow.h"

namespace app {

using DesktopForms = Forms<platform::qt::QtWindow>;

}  // namespace app
