#include "ui/Designs.h"
#include "ui/Pictures.h"
#include "ui/uAbout.h"
#include "Version.h"

namespace ui {

using platform::ControlKind;
using platform::FontDesign;

const platform::FormDesign& AboutDesign()
{
    static const FontDesign webFont{.name = "MS Sans Serif", .height = 15};
    static const platform::FormDesign design{
        .name = "frmAbout",
        .clientWidth = 325,
        .clientHeight = 215,
        .border = false,
        .color = platform::clBtnFace,
        .font = FontDesign{},
        .caption = "About MENDRIX v" MENDRIX_VERSION,
        .controls = {
            {.name = "aboutImage", .kind = ControlKind::Picture, .left = 0, .top = 0, .width = 325, .height = 215,
             .drawings = AboutImage()},
            {.name = "lblWeb", .kind = ControlKind::Label, .left = 99, .top = 175, .width = 157, .height = 16,
             .hint = "visit our website", .font = &webFont, .color = 0xBFBFBF,
             .handPointer = true},
        }};
    return design;
}

}  // namespace ui
