#include "platform/Design.h"

#include <cstring>

namespace platform {

const ControlDesign* FormDesign::Find(const char* controlName) const
{
    for (const ControlDesign& control : controls)
        if (std::strcmp(control.name, controlName) == 0) return &control;
    return nullptr;
}

const PictureDrawing* DrawingFor(std::span<const PictureDrawing> drawings, int dpi)
{
    const PictureDrawing* chosen = nullptr;
    for (const PictureDrawing& drawing : drawings) {
        const long made = drawing.percent * 96L;
        const long wanted = dpi * 100L;
        if (made == wanted) return &drawing;
        const bool larger = made > wanted;
        // The smallest of the larger ones, or, while none is larger, the largest.
        if (chosen == nullptr) {
            chosen = &drawing;
            continue;
        }
        const long best = chosen->percent * 96L;
        if (larger ? (best < wanted || made < best) : (best < wanted && made > best)) chosen = &drawing;
    }
    return chosen;
}

}  // namespace platform
