#include "platform/Design.h"

#include <cstring>

namespace platform {

const ControlDesign* FormDesign::Find(const char* controlName) const
{
    for (const ControlDesign& control : controls)
        if (std::strcmp(control.name, controlName) == 0) return &control;
    return nullptr;
}

}  // namespace platform
