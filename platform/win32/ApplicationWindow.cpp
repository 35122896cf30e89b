#include "platform/win32/ApplicationWindow.h"

#include "utf16/Utf16.h"

namespace platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"MendrixApplication";
constexpr UINT kActivateMain = WM_APP + 2;

void RegisterClassOnce()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;  // replaced per window once created
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

HICON ProgramIcon(int size)
{
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

WindowIcons::~WindowIcons()
{
    if (small_ != nullptr) DestroyIcon(small_);
    if (big_ != nullptr) DestroyIcon(big_);
}

void WindowIcons::Set(HWND window, UINT dpi)
{
    HICON small = ProgramIcon(GetSystemMetricsForDpi(SM_CXSMICON, dpi));
    HICON big = ProgramIcon(GetSystemMetricsForDpi(SM_CXICON, dpi));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small_ != nullptr) DestroyIcon(small_);
    if (big_ != nullptr) DestroyIcon(big_);
    small_ = small;
    big_ = big;
}

ApplicationWindow::ApplicationWindow(const char* title, UINT dpi)
{
    RegisterClassOnce();
    // No size: it is never seen, only its task-bar button. It stands in the
    // middle of the work area, where minimising and restoring animate.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    window_ = CreateWindowExW(0, kClassName, utf16::Widen(title).c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              (area.left + area.right) / 2, (area.top + area.bottom) / 2, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    SetIcons(dpi);
}

ApplicationWindow::~ApplicationWindow()
{
    if (IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void ApplicationWindow::Show() { ShowWindow(window_, SW_SHOWNA); }

void ApplicationWindow::Hide() { ShowWindow(window_, SW_HIDE); }

void ApplicationWindow::Minimize()
{
    if (main_ != nullptr) ShowWindow(main_, SW_HIDE);
    ShowWindow(window_, SW_MINIMIZE);
}

LRESULT CALLBACK ApplicationWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<ApplicationWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT ApplicationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        // A click on the task-bar button of the active program minimises it.
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            Minimize();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_RESTORE && IsIconic(window_)) {
            const LRESULT result = DefWindowProcW(window_, message, wParam, lParam);
            if (main_ != nullptr) ShowWindow(main_, SW_SHOW);
            PostMessageW(window_, kActivateMain, 0, 0);
            return result;
        }
        break;
    case WM_ACTIVATE:
        // Activated from the task bar or Alt+Tab: the main window (or the
        // box or window it is waiting for) takes the activation.
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(window_)) PostMessageW(window_, kActivateMain, 0, 0);
        return 0;
    case kActivateMain:
        if (main_ != nullptr && IsWindowVisible(main_)) {
            HWND last = GetLastActivePopup(main_);
            SetActiveWindow(last != nullptr && IsWindowEnabled(last) ? last : main_);
        }
        return 0;
    case WM_CLOSE:
        // Closing the task-bar button closes the main window, which decides.
        if (main_ != nullptr) PostMessageW(main_, WM_CLOSE, 0, 0);
        return 0;
    default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace platform::win32
