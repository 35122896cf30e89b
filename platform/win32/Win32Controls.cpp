#include "platform/win32/Win32Controls.h"

#include "platform/MemoText.h"
#include "utf16/Utf16.h"

namespace platform::win32 {

COLORREF ToColorRef(Color color)
{
    if ((color >> 24) == 0xFF) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0xFFFFFF);
}

void Win32Edit::Show() { SetWindowTextW(window_, utf16::Widen(Text()).c_str()); }

void Win32Memo::Show()
{
    std::string shown;
    for (const std::string& line : DisplayLines(Lines())) {
        if (!shown.empty()) shown += "\r\n";
        shown += MemoLineToUtf8(line, false);
    }
    SetWindowTextW(window_, utf16::Widen(shown).c_str());
}

void Win32CheckBox::Show()
{
    SendMessageW(window_, BM_SETCHECK, Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(window_, Enabled() ? TRUE : FALSE);
}

}  // namespace platform::win32
