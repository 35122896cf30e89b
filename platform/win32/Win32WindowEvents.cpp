// The window procedure of every form: painting, colours, cursors, clicks,
// drops, system commands, closing and a change of the display's DPI. No
// exception leaves it: handlers run through platform::Dispatch, and the
// procedure itself is guarded for what happens around them.
#include "platform/win32/Win32Window.h"

#include "platform/Dispatch.h"
#include "platform/win32/Win32Services.h"
#include "utf16/Utf16.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

namespace platform::win32 {
namespace {
constexpr UINT kFirstShown = WM_APP + 1;
}  // namespace

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    platform::Dispatch([&] { result = self->Handle(message, wParam, lParam); });
    return result;
}

LRESULT CALLBACK Win32Window::ButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR selfPointer)
{
    auto* self = reinterpret_cast<Win32Window*>(selfPointer);
    for (auto& part : self->parts_) {
        if (part->child != button) continue;
        if (message == WM_MOUSEMOVE && !part->hovered) {
            part->hovered = true;
            TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, button, 0};
            TrackMouseEvent(&track);
            InvalidateRect(button, nullptr, FALSE);
        } else if (message == WM_MOUSELEAVE) {
            part->hovered = false;
            InvalidateRect(button, nullptr, FALSE);
        } else if (message == WM_SETFOCUS) {
            // A flat button never keeps the focus: it goes back where it was.
            if (wParam != 0) SetFocus(reinterpret_cast<HWND>(wParam));
            return 0;
        }
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

const Win32Window::Part* Win32Window::DrawnAt(int x, int y) const
{
    const POINT at{x, y};
    // The last declared lies on top.
    for (auto it = parts_.rbegin(); it != parts_.rend(); ++it) {
        const Part& part = **it;
        if (part.child == nullptr && PtInRect(&part.rect, at)) return &part;
    }
    return nullptr;
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(window_, &ps);
        PaintOn(dc);
        EndPaint(window_, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        if ((lParam & PRF_CLIENT) != 0) PaintOn(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(window_, &r);
        HBRUSH back = CreateSolidBrush(ToColorRef(design_.color));
        FillRect(reinterpret_cast<HDC>(wParam), &r, back);
        DeleteObject(back);
        return 1;
    }
    case WM_DRAWITEM: DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == NM_CUSTOMDRAW)
            return CustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lParam));
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        for (const auto& part : parts_) {
            if (part->child != reinterpret_cast<HWND>(lParam) || part->brush == nullptr) continue;
            SetBkColor(reinterpret_cast<HDC>(wParam), ToColorRef(part->design->color));
            return reinterpret_cast<LRESULT>(part->brush);
        }
        break;
    case WM_COMMAND:
        for (auto& part : parts_) {
            if (part->child != reinterpret_cast<HWND>(lParam) || HIWORD(wParam) != BN_CLICKED) continue;
            if (part->design->kind == ControlKind::CheckBox) checkBoxes_.at(part->design->name)->Clicked();
            Fire(part->onClick);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (BusyCursorShown()) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        if (LOWORD(lParam) == HTCLIENT) {
            POINT at;
            GetCursorPos(&at);
            ScreenToClient(window_, &at);
            const Part* part = DrawnAt(at.x, at.y);
            if (part != nullptr && part->design->handPointer) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
        }
        break;
    case WM_MOUSEMOVE:
        if (const Part* part = DrawnAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) Fire(part->onMouseMove);
        return 0;
    case WM_LBUTTONDOWN: pressed_ = DrawnAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_LBUTTONUP: {
        const Part* part = DrawnAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        const bool click = part != nullptr && part == pressed_;
        pressed_ = nullptr;
        if (click) Fire(part->onClick);
        return 0;
    }
    case WM_SHOWWINDOW:
        if (wParam != 0 && !shown_) {
            shown_ = true;
            // Runs once the window is on screen, before any input reaches it.
            if (onFirstShow_) PostMessageW(window_, kFirstShown, 0, 0);
        }
        break;
    case kFirstShown: Fire(onFirstShow_); return 0;
    case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        std::vector<std::string> names;
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size()));
            name.resize(name.size() - 1);
            names.push_back(utf16::Narrow(name));
        }
        DragFinish(drop);
        if (onDrop_) platform::Dispatch([&] { onDrop_(names); });
        return 0;
    }
    case WM_SYSCOMMAND:
        for (const MenuEntry& entry : SystemMenu()) {
            if ((wParam & 0xFFF0) != entry.second) continue;
            if (onSysCommand_) platform::Dispatch([&] { onSysCommand_(entry.second); });
            return 0;
        }
        // The task-bar button is the application's: minimising goes through it.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && application_) {
            application_->Minimize();
            return 0;
        }
        break;  // move, close and the rest go on to Windows
    case WM_CLOSE:
        if (owner_ != nullptr) {
            Close();
            return 0;
        }
        if (onCloseQuery_) {
            bool allow = true;
            platform::Dispatch([&] { allow = onCloseQuery_(); });
            if (!allow) return 0;
        }
        break;
    case WM_DESTROY:
        if (owner_ == nullptr) {
            if (application_) application_->Hide();
            PostQuitMessage(0);
        }
        break;
    case WM_GETDPISCALEDSIZE: {
        // The outer size for the new DPI, so that the rectangle the system
        // then suggests holds the scaled client area exactly.
        const int dpi = static_cast<int>(wParam);
        RECT frame{0, 0, MulDiv(design_.clientWidth, dpi, 96), MulDiv(design_.clientHeight, dpi, 96)};
        AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)), FALSE,
                                 static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE)), static_cast<UINT>(dpi));
        auto* size = reinterpret_cast<SIZE*>(lParam);
        size->cx = frame.right - frame.left;
        size->cy = frame.bottom - frame.top;
        return TRUE;
    }
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(LOWORD(wParam));
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace platform::win32
