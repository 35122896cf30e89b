// The C runtime's stat reports one link for every file on Windows; the
// file's own information holds the real count.
#include "kdx/LinkCount.h"

#include "kdx/Utf16.h"

#include <windows.h>

namespace kdx {

std::int64_t HardLinkCount(const std::string& path, int& error)
{
    // Attributes only, shared with everyone: asking must not disturb a program that holds the file.
    const HANDLE file = CreateFileW(win32::FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = static_cast<int>(GetLastError());
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    if (!known) error = static_cast<int>(GetLastError());
    CloseHandle(file);
    return known ? static_cast<std::int64_t>(info.nNumberOfLinks) : -1;
}

}  // namespace kdx
