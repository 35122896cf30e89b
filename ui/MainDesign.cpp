#include "ui/Designs.h"
#include "ui/Pictures.h"
#include "ui/uMain.h"
#include "Version.h"

namespace ui {

using platform::ControlKind;
using platform::FontDesign;

const platform::FormDesign& MainDesign()
{
    static const FontDesign memoFont{.name = "Courier New", .height = 11, .bold = true, .fixedPitch = true};
    static const FontDesign undoFont{.name = "Verdana", .height = 11};
    constexpr platform::Color grey = 0xBFBFBF;
    static const platform::FormDesign design{
        .name = "frmMain",
        .clientWidth = 410,
        .clientHeight = 345,
        .border = true,
        .color = platform::clBtnFace,
        .font = FontDesign{},
        .caption = text::kStartCaption,
        .controls = {
            {.name = "infMemo", .kind = ControlKind::Memo, .left = 0, .top = 180, .width = 410, .height = 165,
             .hint = "KDX Information", .font = &memoFont, .color = grey, .tabOrder = 0, .readOnly = true,
             .bothScrollBars = true},
            {.name = "edtKDX", .kind = ControlKind::Edit, .left = 112, .top = 89, .width = 241, .height = 21,
             .color = platform::clWindow, .tabOrder = 1, .readOnly = true},
            {.name = "edtImage", .kind = ControlKind::Edit, .left = 112, .top = 48, .width = 241, .height = 21,
             .color = platform::clWindow, .tabOrder = 2, .readOnly = true},
            {.name = "bgImage", .kind = ControlKind::Picture, .left = 0, .top = 0, .width = 410, .height = 180,
             .drawings = BgImage()},
            {.name = "btnApply", .kind = ControlKind::FlatButton, .left = 15, .top = 126, .width = 127, .height = 25,
             .hint = "Apply KDX-File"},
            {.name = "btnKDX", .kind = ControlKind::FlatButton, .left = 358, .top = 89, .width = 23, .height = 22,
             .hint = "Load KDX-File"},
            {.name = "btnImage", .kind = ControlKind::FlatButton, .left = 358, .top = 48, .width = 23, .height = 22,
             .hint = "Load CD-Image File"},
            {.name = "btnAbout", .kind = ControlKind::FlatButton, .left = 150, .top = 126, .width = 112, .height = 25,
             .hint = "About MENDRIX v" MENDRIX_VERSION},
            {.name = "btnClose", .kind = ControlKind::FlatButton, .left = 270, .top = 126, .width = 122, .height = 25,
             .hint = "Quit program"},
            {.name = "cbUndo", .kind = ControlKind::CheckBox, .left = 15, .top = 159, .width = 157, .height = 17,
             .hint = "Apply Undo-Data, to get the un-patched CD-Image", .caption = "Apply Undo-Patch-Data",
             .font = &undoFont, .color = grey, .tabOrder = 3, .enabled = false},
        }};
    return design;
}

}  // namespace ui
