// The pictures built into the program (made under ui/art/ and embedded by
// the build): the two windows' JPEG faces, each drawn for 100, 150 and 200 %
// display scales, and the program icon.
#pragma once

#include "platform/Design.h"

#include <span>
#include <vector>

namespace ui {

std::span<const platform::PictureDrawing> BgImage();     // 410 x 180 at 100 %
std::span<const platform::PictureDrawing> AboutImage();  // 325 x 215 at 100 %

struct IconPng {
    int size;  // square, in pixels
    std::span<const unsigned char> png;
};
// The program icon in every size made, smallest first.
const std::vector<IconPng>& ProgramIcons();

}  // namespace ui
