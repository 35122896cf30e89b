#include "platform/win32/Win32Services.h"

#include "utf16/Utf16.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace platform::win32 {
namespace {

bool gBusy = false;

}  // namespace

bool BusyCursorShown() { return gBusy; }

Win32Services::Win32Services()
    : showBox([](const std::wstring& text, const std::wstring& caption, unsigned style) {
          return MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), style);
      })
{
    SetServices(this);
}

Win32Services::~Win32Services()
{
    SetServices(nullptr);
    gBusy = false;
}

ModalResult Win32Services::MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons)
{
    UINT icon = MB_ICONINFORMATION;
    switch (type) {
    case MsgDlgType::mtWarning: icon = MB_ICONWARNING; break;
    case MsgDlgType::mtError: icon = MB_ICONERROR; break;
    case MsgDlgType::mtInformation: icon = MB_ICONINFORMATION; break;
    case MsgDlgType::mtConfirmation: icon = MB_ICONQUESTION; break;
    }
    return ShowBox(CaptionOf(type), text, icon, buttons);
}

ModalResult Win32Services::ShowBox(const char* caption, const std::string& text, unsigned icon,
                                   MsgDlgButtons buttons)
{
    const UINT kind = buttons == MsgDlgButtons::mbOK ? MB_OK : MB_YESNO;
    switch (showBox(utf16::Widen(text), utf16::Widen(caption), kind | icon | MB_TASKMODAL)) {
    case IDOK: return ModalResult::mrOk;
    case IDYES: return ModalResult::mrYes;
    case IDNO: return ModalResult::mrNo;
    default: return ModalResult::mrNone;
    }
}

void Win32Services::ShowGeneralError(const std::string& text)
{
    ShowBox(kTitle, text, MB_ICONERROR, MsgDlgButtons::mbOK);
}

void Win32Services::ProcessMessages()
{
    if (!throttle_.Due()) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Kept for the main loop, which ends the program.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Services::SetScreenCursor(Cursor cursor)
{
    cursor_ = cursor;
    gBusy = cursor == crHourGlass;
    SetCursor(LoadCursorW(nullptr, gBusy ? IDC_WAIT : IDC_ARROW));
}

std::optional<std::string> Win32Services::OpenFileDialog(const std::string& title, const std::string& filter)
{
    // "Name|patterns|..." becomes "Name\0patterns\0...\0\0".
    std::wstring filters = utf16::Widen(filter);
    for (wchar_t& c : filters)
        if (c == L'|') c = L'\0';
    filters.push_back(L'\0');
    filters.push_back(L'\0');
    const std::wstring caption = utf16::Widen(title);
    std::vector<wchar_t> name(32768, L'\0');  // starts empty every time
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = filterIndex_;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = caption.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    filterIndex_ = dialog.nFilterIndex;
    return utf16::Narrow(name.data());
}

std::string Win32Services::OpenDocument(const std::string& path)
{
    const std::wstring file = utf16::Widen(path);
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof open;
    // The system shows nothing of its own on failure: the caller says why.
    open.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    open.hwnd = GetActiveWindow();
    open.lpVerb = L"open";
    open.lpFile = file.c_str();
    open.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&open)) return {};
    const DWORD error = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = text != nullptr ? text : L"";
    LocalFree(text);
    // The system's sentence without its full stop and line end.
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L'.' ||
                               reason.back() == L' '))
        reason.pop_back();
    return reason.empty() ? "error " + std::to_string(error) : utf16::Narrow(reason);
}

}  // namespace platform::win32
