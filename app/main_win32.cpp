// mendrix on Windows: the arguments from the UTF-16 command line, the two
// windows, and the message loop until the main window is gone.
#include "app/Win32Forms.h"

#include "desktop/Association.h"

#include "platform/CommandLine.h"
#include "platform/DllSearch.h"
#include "platform/Dispatch.h"
#include "platform/win32/Win32Services.h"
#include "utf16/Utf16.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    platform::LoadDllsFromSystemOnly();
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf16::Narrow(wide[i]));
    LocalFree(wide);
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    platform::SetCommandLine(utf16::Narrow(self), arguments);

    platform::win32::Win32Services services;
    services.associate = desktop::AssociateFileType;
    std::unique_ptr<app::Win32Forms> forms;
    const platform::Outcome created = platform::Dispatch([&] { forms = std::make_unique<app::Win32Forms>(); });
    if (created != platform::Outcome::Completed) return 1;  // its error box has been shown
    forms->mainWindow.ShowCentred();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
