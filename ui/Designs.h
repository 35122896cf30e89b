// The stored designs of the two windows: sizes, controls, fonts, colours,
// hints and tab order, as the backends build them.
#pragma once

#include "platform/Design.h"

namespace ui {

const platform::FormDesign& MainDesign();
const platform::FormDesign& AboutDesign();

}  // namespace ui
