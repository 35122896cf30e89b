// The Win32 backend's services: MessageBoxW, the open-file dialog, the
// throttled pump, the hourglass and the shell's document opener.
#pragma once

#include "platform/PumpThrottle.h"
#include "platform/Services.h"

#include <functional>
#include <string>

namespace platform::win32 {

class Win32Services : public Services {
public:
    // Installs itself as the program's services.
    Win32Services();
    ~Win32Services() override;
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons) override;
    void ShowGeneralError(const std::string& text) override;
    // Processes pending messages at most every ~15 ms; otherwise costs a counter.
    void ProcessMessages() override;
    Cursor ScreenCursor() const override { return cursor_; }
    void SetScreenCursor(Cursor cursor) override;
    std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter) override;
    // The shell's "open" on the document, owned by the active window.
    std::string OpenDocument(const std::string& path) override;

    // Shows a message box: the UTF-16 text and caption, the MB_* style;
    // answers the ID* of the button pressed. MessageBoxW unless replaced
    // (tests answer the boxes without a modal loop).
    std::function<int(const std::wstring& text, const std::wstring& caption, unsigned style)> showBox;

private:
    ModalResult ShowBox(const char* caption, const std::string& text, unsigned icon, MsgDlgButtons buttons);

    PumpThrottle throttle_;
    Cursor cursor_ = crDefault;
    unsigned long filterIndex_ = 1;  // the entry a file was last confirmed with (1-based)
};

// The hourglass while the screen cursor says so: the windows ask on WM_SETCURSOR.
bool BusyCursorShown();

}  // namespace platform::win32
