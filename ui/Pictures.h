// The pictures built into the program (made under ui/art/ and embedded by
// the build): the two windows' JPEG faces and the program icon.
#pragma once

#include <span>
#include <vector>

namespace ui {

std::span<const unsigned char> BgImageJpeg();     // 410 x 180
std::span<const unsigned char> AboutImageJpeg();  // 325 x 215

struct IconPng {
    int size;  // square, in pixels
    std::span<const unsigned char> png;
};
// The program icon in every size made, smallest first.
const std::vector<IconPng>& ProgramIcons();

}  // namespace ui
