// window-texts PROGRAM TEXT SECONDS: waits up to SECONDS for a visible
// window of a running PROGRAM (its full path; the process's own image is
// compared, so another copy of the program does not count) with a control
// that shows TEXT, prints the class and text of each of its controls, one a
// line, asks the window to close and waits for the program to end. This is
// how the installer's test sees which patch a program started by the shell
// has loaded, from outside and without a hook in the program. Exit status 0;
// 1 when no such window appeared (the last controls seen are printed) or the
// program did not end; 2 on wrong usage.
#include "utf16/Utf16.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using utf16::Narrow;

std::wstring ImageOf(DWORD process)
{
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr) return {};
    std::wstring image(MAX_PATH * 4, L'\0');
    DWORD size = static_cast<DWORD>(image.size());
    const BOOL found = QueryFullProcessImageNameW(handle, 0, image.data(), &size);
    CloseHandle(handle);
    image.resize(found ? size : 0);
    return image;
}

struct Search {
    const wchar_t* program;
    HWND window = nullptr;
    DWORD process = 0;
};

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM context)
{
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!IsWindowVisible(window) || _wcsicmp(ImageOf(process).c_str(), search.program) != 0) return TRUE;
    search.window = window;
    search.process = process;
    return FALSE;
}

// The controls' texts, of a window in another process: WM_GETTEXT is carried across.
struct Control {
    std::string className;
    std::wstring text;
};

BOOL CALLBACK CollectControl(HWND control, LPARAM context)
{
    wchar_t className[128] = {};
    GetClassNameW(control, className, 128);
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    reinterpret_cast<std::vector<Control>*>(context)->push_back({Narrow(className), text});
    return TRUE;
}

std::vector<Control> ControlsOf(HWND window)
{
    std::vector<Control> controls;
    EnumChildWindows(window, CollectControl, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

bool Shows(const std::vector<Control>& controls, const wchar_t* text)
{
    for (const Control& control : controls)
        if (control.text == text) return true;
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fputs("usage: window-texts PROGRAM TEXT SECONDS\n", stderr);
        return 2;
    }
    Search search{argv[1]};
    std::vector<Control> controls;
    // The program shows its window first and loads what it was given after.
    for (int tenths = _wtoi(argv[3]) * 10; tenths > 0 && !Shows(controls, argv[2]); --tenths) {
        Sleep(100);
        search.window = nullptr;
        EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&search));
        if (search.window != nullptr) controls = ControlsOf(search.window);
    }
    for (const Control& control : controls)
        std::printf("%s: %s\n", control.className.c_str(), Narrow(control.text).c_str());
    std::fflush(stdout);
    if (!Shows(controls, argv[2])) {
        std::fprintf(stderr, "window-texts: no window of %s shows %s\n", Narrow(argv[1]).c_str(),
                     Narrow(argv[2]).c_str());
        return 1;
    }

    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, search.process);
    PostMessageW(search.window, WM_CLOSE, 0, 0);
    const bool ended = process != nullptr && WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
    if (process != nullptr) CloseHandle(process);
    if (!ended) std::fprintf(stderr, "window-texts: %s did not end\n", Narrow(argv[1]).c_str());
    return ended ? 0 : 1;
}
