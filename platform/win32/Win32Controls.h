// The form controls over Win32 child windows: each keeps its value in the
// platform control and mirrors every change into its window.
#pragma once

#include "platform/Controls.h"

#include <windows.h>

#include <functional>

namespace platform::win32 {

class Win32Edit : public Edit {
public:
    explicit Win32Edit(HWND window) : window_(window) {}

protected:
    void Show() override;

private:
    HWND window_;
};

// Shows the entries' display lines, bytes decoded as Windows-1252.
class Win32Memo : public Memo {
public:
    explicit Win32Memo(HWND window) : window_(window) {}

protected:
    void Show() override;

private:
    HWND window_;
};

class Win32CheckBox : public CheckBox {
public:
    explicit Win32CheckBox(HWND window) : window_(window) {}
    // The user clicked the box: takes its new state without echo.
    void Clicked() { Take(SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED); }

protected:
    void Show() override;

private:
    HWND window_;
};

// A label drawn by its window: a change asks for a repaint.
class Win32Label : public Label {
public:
    explicit Win32Label(std::function<void()> repaint) : repaint_(std::move(repaint)) {}

protected:
    void Show() override
    {
        if (repaint_) repaint_();
    }

private:
    std::function<void()> repaint_;
};

// 0x00BBGGRR as Windows has it, or the system colour named.
COLORREF ToColorRef(Color color);

}  // namespace platform::win32
