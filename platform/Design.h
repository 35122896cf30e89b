// A window's stored design as data: its size and look and its controls in
// the order the window declares them, in pixels at 96 dots per inch. The
// forms' layouts are written in these terms once; each backend builds its
// real widgets from them, scaled to the display.
#pragma once

#include "platform/Controls.h"

#include <span>
#include <vector>

namespace platform {

struct FontDesign {
    const char* name = "MS Sans Serif";
    int height = 11;  // character height in pixels at 96 dots per inch
    bool bold = false;
    bool fixedPitch = false;
    Color color = clWindowText;
};

// One drawing of a picture, made for a display scale (100: 96 dots per
// inch; 150: 144 ...) at the design's size times that scale.
struct PictureDrawing {
    int percent = 100;
    std::span<const unsigned char> jpeg{};
};

// The drawing that shows a picture at dpi dots per inch: the one made for
// that scale, else the next larger one (to be scaled down), else the
// largest (to be enlarged). nullptr when there is none.
const PictureDrawing* DrawingFor(std::span<const PictureDrawing> drawings, int dpi);

enum class ControlKind {
    Memo,        // multi-line text box
    Edit,        // one-line edit box
    Picture,     // a JPEG picture; the control takes the size of its 100 % drawing
    FlatButton,  // no caption, transparent, framed while hovered or pressed
    CheckBox,
    Label
};

struct ControlDesign {
    const char* name = "";
    ControlKind kind = ControlKind::Edit;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    const char* hint = nullptr;        // shown when the pointer rests on it
    const char* caption = nullptr;     // check box caption, label text
    const FontDesign* font = nullptr;  // nullptr: the window's font
    Color color = clBtnFace;           // background
    int tabOrder = -1;                 // -1: not a tab stop
    bool readOnly = false;
    bool enabled = true;
    bool bothScrollBars = false;
    bool handPointer = false;
    std::span<const PictureDrawing> drawings{};  // a picture's drawings, smallest scale first
};

struct FormDesign {
    const char* name = "";
    int clientWidth = 0;
    int clientHeight = 0;
    // true: a single fixed border with a caption, system menu, minimise and
    // close but no maximise; false: no border, title bar or system menu.
    bool border = true;
    Color color = clBtnFace;
    FontDesign font{};
    const char* caption = "";
    std::vector<ControlDesign> controls;

    // The design of the named control, or nullptr.
    const ControlDesign* Find(const char* controlName) const;
};

}  // namespace platform
