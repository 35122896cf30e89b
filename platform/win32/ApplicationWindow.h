// The application's own window, the one the task bar and Alt+Tab show: it
// carries the application's title and icon for the whole run and owns the
// main window, whose caption changes as the program works. It has no size
// and draws nothing; minimising the main window minimises it, which hides
// the main window, and restoring it from the task bar brings that back.
#pragma once

#include <windows.h>

namespace platform::win32 {

// The program's icon on a window, at the sizes the system uses for a DPI.
class WindowIcons {
public:
    WindowIcons() = default;
    ~WindowIcons();
    WindowIcons(const WindowIcons&) = delete;
    WindowIcons& operator=(const WindowIcons&) = delete;
    void Set(HWND window, UINT dpi);

private:
    HICON small_ = nullptr;
    HICON big_ = nullptr;
};

class ApplicationWindow {
public:
    // Creates it hidden, titled title, with the program's icon for dpi.
    ApplicationWindow(const char* title, UINT dpi);
    ~ApplicationWindow();
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;

    HWND Handle() const { return window_; }
    // The window it hands activation and close requests to.
    void SetMainWindow(HWND main) { main_ = main; }
    // Shows it (the task-bar button appears) without taking the activation.
    void Show();
    void Hide();
    void Minimize();
    // The program's icons at the sizes the system uses for dpi.
    void SetIcons(UINT dpi) { icons_.Set(window_, dpi); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND main_ = nullptr;
    WindowIcons icons_;
};

// The program's first icon resource at size x size pixels (the icon file
// holds each size the system uses at 100, 150 and 200 %), or nullptr when
// the program has none.
HICON ProgramIcon(int size);

}  // namespace platform::win32
