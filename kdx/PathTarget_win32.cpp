// The C runtime neither follows symbolic links and junctions nor counts hard
// links (its stat says one); the handle of the file itself knows both.
#include "kdx/PathTarget.h"

#include "utf16/Utf16.h"

#include <windows.h>

#include <string>

namespace kdx {

namespace {

// "\\?\C:\x" as C:\x and "\\?\UNC\server\x" as \\server\x: the forms a user knows.
std::wstring Plain(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

}  // namespace

PathTarget ResolvePath(const std::string& path)
{
    PathTarget target;
    // Attributes only, shared with everyone: asking must not disturb a program that holds the file.
    const HANDLE file = CreateFileW(utf16::FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        target.error = static_cast<int>(GetLastError());
        return target;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    std::wstring real(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(file, real.data(), static_cast<DWORD>(real.size()), FILE_NAME_NORMALIZED);
    if (n >= real.size()) {
        real.resize(n);
        n = GetFinalPathNameByHandleW(file, real.data(), static_cast<DWORD>(real.size()), FILE_NAME_NORMALIZED);
    }
    if (n == 0 || n >= real.size() || GetFileInformationByHandle(file, &info) == 0) {
        target.error = static_cast<int>(GetLastError());
        CloseHandle(file);
        return target;
    }
    CloseHandle(file);
    real.resize(n);
    target.path = utf16::Narrow(Plain(real));
    target.links = static_cast<std::int64_t>(info.nNumberOfLinks);
    return target;
}

}  // namespace kdx
