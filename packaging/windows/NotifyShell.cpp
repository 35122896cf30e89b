// The installer's one custom action: once the file type's keys have been
// written or removed (install, repair, uninstall), the shell is told that
// file associations changed, as the window's menu entry does, so Explorer
// shows .kdx files with their new icon and handler at once.
#include <windows.h>
#include <msi.h>
#include <shlobj.h>

extern "C" __declspec(dllexport) UINT __stdcall NotifyAssociationsChanged(MSIHANDLE)
{
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return ERROR_SUCCESS;
}
