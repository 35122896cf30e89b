// The system's files on Windows: HANDLEs opened with share mode 0, 64-bit
// positioned reads and writes through OVERLAPPED offsets, and UTF-8 paths
// turned into UTF-16 at every call.
//
// Error numbers are the system's error codes, except for the two conditions
// the library tells apart by number: a name that exists already is EEXIST
// and a full disk is ENOSPC, as on POSIX. SystemErrorText maps them back.
// A folder opened as a file is refused with ERROR_DIRECTORY_NOT_SUPPORTED,
// which, unlike the access denial Windows itself answers, says why; its
// text is that of the denial, which every version of Windows has.
#include "kdx/File.h"
#include "kdx/PathTarget.h"

#include "utf16/Utf16.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace kdx {

namespace {

using utf16::FilePath;

int ErrorNumber(DWORD code)
{
    switch (code) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return static_cast<int>(code);
    }
}

int LastSystemError() { return ErrorNumber(GetLastError()); }

OVERLAPPED At(std::int64_t position)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(position) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
    return at;
}

// One call moves at most this much, so that the count fits a DWORD.
constexpr std::int64_t kChunk = 1 << 30;

// ERROR_DIRECTORY_NOT_SUPPORTED, which older headers lack.
constexpr int kFolderRefused = 336;

}  // namespace

std::string SystemErrorText(int error)
{
    DWORD code = static_cast<DWORD>(error);
    if (error == EEXIST) code = ERROR_FILE_EXISTS;
    if (error == ENOSPC) code = ERROR_DISK_FULL;
    if (error == kFolderRefused) code = ERROR_ACCESS_DENIED;
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (n == 0 || text == nullptr) return "System error " + std::to_string(code);
    std::string out = utf16::Narrow(text);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
    return out;
}

OpenFailure OpenFailureOf(int error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return OpenFailure::Missing;
    case ERROR_ACCESS_DENIED: return OpenFailure::Denied;
    case kFolderRefused: return OpenFailure::Folder;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return OpenFailure::InUse;
    default: return OpenFailure::Other;
    }
}

namespace {

// The system's calls; positioned reads and writes go in pieces of at most kChunk.
class Win32Files final : public FileSystem {
public:
    int Open(const std::string& path, bool writable, Handle& handle) override
    {
        const std::wstring name = FilePath(path);
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kFolderRefused;
        // Windows refuses a read-only file for writing itself; checked here too so
        // that no emulation or elevated account writes into an image so marked.
        if (writable && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
            return ERROR_ACCESS_DENIED;
        // Share mode 0: while we hold the file, no other handle opens it.
        const HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | (writable ? GENERIC_WRITE : 0), 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return LastSystemError();
        handle = AsNumber(h);
        return 0;
    }

    int Create(const std::string& path, Handle& handle) override
    {
        const HANDLE h = CreateFileW(FilePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return LastSystemError();
        handle = AsNumber(h);
        return 0;
    }

    int Close(Handle handle) override { return CloseHandle(AsHandle(handle)) != 0 ? 0 : LastSystemError(); }

    // A positioned read on a synchronous handle also moves the file position;
    // every read and write names its own position, so nothing depends on it.
    int Read(Handle handle, std::int64_t position, void* buffer, std::int64_t n, std::int64_t& got) override
    {
        auto* p = static_cast<char*>(buffer);
        got = 0;
        while (got < n) {
            OVERLAPPED at = At(position + got);
            DWORD piece = 0;
            if (ReadFile(AsHandle(handle), p + got, static_cast<DWORD>(std::min(n - got, kChunk)), &piece, &at) == 0) {
                if (GetLastError() == ERROR_HANDLE_EOF) break;
                return LastSystemError();
            }
            if (piece == 0) break;
            got += piece;
        }
        return 0;
    }

    int Write(Handle handle, std::int64_t position, const void* buffer, std::int64_t n) override
    {
        const auto* p = static_cast<const char*>(buffer);
        std::int64_t done = 0;
        while (done < n) {
            OVERLAPPED at = At(position + done);
            DWORD put = 0;
            if (WriteFile(AsHandle(handle), p + done, static_cast<DWORD>(std::min(n - done, kChunk)), &put, &at) == 0)
                return LastSystemError();
            if (put == 0) return ENOSPC;
            done += put;
        }
        return 0;
    }

    // Windows has no data-only flush: the whole file's buffers go.
    int Sync(Handle handle, bool /*dataOnly*/) override
    {
        return FlushFileBuffers(AsHandle(handle)) != 0 ? 0 : LastSystemError();
    }

    int Length(Handle handle, std::int64_t& length) override
    {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(AsHandle(handle), &size) == 0) return LastSystemError();
        length = size.QuadPart;
        return 0;
    }

    bool IsSparse(Handle handle) override
    {
        FILE_STANDARD_INFO info{};
        if (GetFileInformationByHandleEx(AsHandle(handle), FileStandardInfo, &info, sizeof info) == 0) return true;
        BY_HANDLE_FILE_INFORMATION attributes{};
        if (GetFileInformationByHandle(AsHandle(handle), &attributes) != 0 &&
            (attributes.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0)
            return true;
        return info.AllocationSize.QuadPart < info.EndOfFile.QuadPart;
    }

    int Reserve(Handle handle, std::int64_t offset, std::int64_t length) override
    {
        const std::int64_t end = offset + length;
        // Allocation first: a full disk is found here, before any byte is written.
        FILE_STANDARD_INFO info{};
        if (GetFileInformationByHandleEx(AsHandle(handle), FileStandardInfo, &info, sizeof info) == 0)
            return LastSystemError();
        if (info.AllocationSize.QuadPart < end) {
            FILE_ALLOCATION_INFO allocation{};
            allocation.AllocationSize.QuadPart = end;
            if (SetFileInformationByHandle(AsHandle(handle), FileAllocationInfo, &allocation, sizeof allocation) == 0)
                return LastSystemError();
        }
        return info.EndOfFile.QuadPart < end ? SetLength(handle, end) : 0;
    }

    int SetLength(Handle handle, std::int64_t length) override
    {
        // Through the file information, so that the file position stays put.
        FILE_END_OF_FILE_INFO eof{};
        eof.EndOfFile.QuadPart = length;
        return SetFileInformationByHandle(AsHandle(handle), FileEndOfFileInfo, &eof, sizeof eof) != 0 ? 0
                                                                                                       : LastSystemError();
    }

    int Map(Handle handle, std::int64_t length, std::uint8_t*& data) override
    {
        const auto size = static_cast<std::uint64_t>(length);
        const HANDLE mapping = CreateFileMappingW(AsHandle(handle), nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                                  static_cast<DWORD>(size & 0xFFFFFFFFu), nullptr);
        if (mapping == nullptr) return LastSystemError();
        void* p = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(length));
        const int error = p == nullptr ? LastSystemError() : 0;
        // The view keeps the mapping alive on its own.
        CloseHandle(mapping);
        if (p != nullptr) data = static_cast<std::uint8_t*>(p);
        return error;
    }

    int FlushMap(std::uint8_t* data, std::int64_t /*length*/) override
    {
        return FlushViewOfFile(data, 0) != 0 ? 0 : LastSystemError();
    }

    int Unmap(std::uint8_t* data, std::int64_t /*length*/) override
    {
        // The pages go to the file now, so that a later Sync makes them durable.
        const bool flushed = FlushViewOfFile(data, 0) != 0;
        const int error = flushed ? 0 : LastSystemError();
        if (UnmapViewOfFile(data) == 0) return LastSystemError();
        return error;
    }

    int Rename(const std::string& from, const std::string& to) override
    {
        if (MoveFileExW(FilePath(from).c_str(), FilePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        return LastSystemError();
    }

    int Remove(const std::string& path) override
    {
        return DeleteFileW(FilePath(path).c_str()) != 0 ? 0 : LastSystemError();
    }

    int Inspect(const std::string& path, FileFacts& facts) override { return ResolvePath(path, facts); }

    int InspectOpen(Handle handle, FileFacts& facts) override { return HandleFacts(handle, facts); }

    bool SameFile(const std::string& a, const std::string& b) override
    {
        // The names as UTF-16: a path made from 8-bit text would take it as the ANSI code page.
        std::error_code ec;
        return std::filesystem::equivalent(std::filesystem::path(FilePath(a)), std::filesystem::path(FilePath(b)), ec);
    }

    // A rename is made durable by the file system's own journal on Windows.
    int SyncFolderOf(const std::string& /*path*/) override { return 0; }

private:
    static HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
    static Handle AsNumber(HANDLE handle) { return reinterpret_cast<Handle>(handle); }
};

}  // namespace

FileSystem& SystemFiles()
{
    static Win32Files files;
    return files;
}

}  // namespace kdx
