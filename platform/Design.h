// A window's stored design as data: its size and look and its controls in
// the order the window declares them. The forms' layouts are written in
// these terms once; each backend builds its real widgets from them.
#pragma once

#include "platform/Controls.h"

#include <span>
#include <vector>

namespace platform {

struct FontDesign {
    const char* name = "MS Sans Serif";
    int height = 11;  // character height in pixels, never scaled
    bool bold = false;
    bool fixedPitch = false;
    Color color = clWindowText;
};

enum class ControlKind {
    Memo,        // multi-line text box
    Edit,        // one-line edit box
    Picture,     // a JPEG picture; the control takes the picture's size
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
    std::span<const unsigned char> jpeg{};  // a picture's JPEG bytes
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
