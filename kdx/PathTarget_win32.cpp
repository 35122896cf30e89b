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

int Describe(HANDLE file, FileFacts& facts)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) == 0) return static_cast<int>(GetLastError());
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.kind = folder ? FileFacts::Kind::Folder
                 : GetFileType(file) == FILE_TYPE_DISK ? FileFacts::Kind::File
                                                       : FileFacts::Kind::Other;
    facts.volume = info.dwVolumeSerialNumber;
    facts.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    facts.links = static_cast<std::int64_t>(info.nNumberOfLinks);
    facts.length = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    return 0;
}

}  // namespace

int ResolvePath(const std::string& path, FileFacts& facts)
{
    // Attributes only, shared with everyone: asking must not disturb a program that holds the file.
    const HANDLE file = CreateFileW(utf16::FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    std::wstring real(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(file, real.data(), static_cast<DWORD>(real.size()), FILE_NAME_NORMALIZED);
    if (n >= real.size()) {
        real.resize(n);
        n = GetFinalPathNameByHandleW(file, real.data(), static_cast<DWORD>(real.size()), FILE_NAME_NORMALIZED);
    }
    int error = n == 0 || n >= real.size() ? static_cast<int>(GetLastError()) : 0;
    FileFacts found;
    if (error == 0) error = Describe(file, found);
    CloseHandle(file);
    if (error != 0) return error;
    real.resize(n);
    found.path = utf16::Narrow(Plain(real));
    facts = std::move(found);
    return 0;
}

int HandleFacts(FileSystem::Handle handle, FileFacts& facts)
{
    FileFacts found;
    if (const int error = Describe(reinterpret_cast<HANDLE>(handle), found); error != 0) return error;
    facts = std::move(found);
    return 0;
}

}  // namespace kdx
