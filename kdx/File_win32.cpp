// The file routines on Windows: HANDLEs opened with share mode 0, 64-bit
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

#include "utf16/Utf16.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace kdx {

namespace {

using utf16::FilePath;

HANDLE AsHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }

// Windows keeps kernel handles below 2^31 even in 64-bit processes, which is
// what lets them round-trip through the int the interface hands out.
int AsInt(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)); }

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

MappedRegion::~MappedRegion() { Unmap(); }

bool MappedRegion::Flush()
{
    if (data_ == nullptr) return true;
    if (FlushViewOfFile(data_, 0) != 0) return true;
    errno = LastSystemError();
    return false;
}

bool MappedRegion::Unmap()
{
    if (data_ == nullptr) return true;
    // The pages go to the file now, so that a later Sync makes them durable.
    const bool flushed = FlushViewOfFile(data_, 0) != 0;
    const bool unmapped = UnmapViewOfFile(data_) != 0;
    if (!flushed || !unmapped) errno = LastSystemError();
    data_ = nullptr;
    size_ = 0;
    return flushed && unmapped;
}

bool File::Open(const std::string& path, bool writable)
{
    Close();
    const std::wstring name = FilePath(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        lastError_ = kFolderRefused;
        return false;
    }
    // Windows refuses a read-only file for writing itself; checked here too so
    // that no emulation or elevated account writes into an image so marked.
    if (writable && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        lastError_ = ERROR_ACCESS_DENIED;
        return false;
    }
    // Share mode 0: while we hold the file, no other handle opens it.
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | (writable ? GENERIC_WRITE : 0), 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastError_ = LastSystemError();
        return false;
    }
    fd_ = AsInt(h);
    return true;
}

bool File::Create(const std::string& path)
{
    Close();
    const HANDLE h = CreateFileW(FilePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastError_ = LastSystemError();
        return false;
    }
    fd_ = AsInt(h);
    return true;
}

bool File::Close()
{
    if (fd_ == kInvalid) return true;
    const bool ok = CloseHandle(AsHandle(fd_)) != 0;
    fd_ = kInvalid;
    if (!ok) lastError_ = LastSystemError();
    return ok;
}

// A positioned read on a synchronous handle also moves the file position;
// every read and write names its own position, so nothing depends on it.
std::int64_t File::ReadAt(std::int64_t position, void* buffer, std::int64_t n)
{
    if (position < 0) return -1;
    auto* p = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < n) {
        OVERLAPPED at = At(position + done);
        DWORD got = 0;
        if (ReadFile(AsHandle(fd_), p + done, static_cast<DWORD>(std::min(n - done, kChunk)), &got, &at) == 0) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            lastError_ = LastSystemError();
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

bool File::WriteAt(std::int64_t position, const void* buffer, std::int64_t n)
{
    if (faults_ != nullptr && Injected(faults_->write)) return false;
    const auto* p = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < n) {
        OVERLAPPED at = At(position + done);
        DWORD put = 0;
        if (WriteFile(AsHandle(fd_), p + done, static_cast<DWORD>(std::min(n - done, kChunk)), &put, &at) == 0) {
            lastError_ = LastSystemError();
            return false;
        }
        if (put == 0) {
            lastError_ = ENOSPC;
            return false;
        }
        done += put;
    }
    return true;
}

bool File::Sync()
{
    if (faults_ != nullptr && Injected(faults_->sync)) return false;
    if (FlushFileBuffers(AsHandle(fd_)) != 0) return true;
    lastError_ = LastSystemError();
    return false;
}

// Windows has no data-only flush: the whole file's buffers go.
bool File::SyncData() { return Sync(); }

std::int64_t File::Length()
{
    LARGE_INTEGER size{};
    if (GetFileSizeEx(AsHandle(fd_), &size) == 0) {
        lastError_ = LastSystemError();
        return -1;
    }
    return size.QuadPart;
}

bool File::IsSparse() const
{
    FILE_STANDARD_INFO info{};
    if (GetFileInformationByHandleEx(AsHandle(fd_), FileStandardInfo, &info, sizeof info) == 0) return true;
    BY_HANDLE_FILE_INFORMATION attributes{};
    if (GetFileInformationByHandle(AsHandle(fd_), &attributes) != 0 &&
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0)
        return true;
    return info.AllocationSize.QuadPart < info.EndOfFile.QuadPart;
}

int File::Reserve(std::int64_t offset, std::int64_t length)
{
    if (length <= 0) return 0;
    const std::int64_t end = offset + length;
    // Allocation first: a full disk is found here, before any byte is written.
    FILE_STANDARD_INFO info{};
    if (GetFileInformationByHandleEx(AsHandle(fd_), FileStandardInfo, &info, sizeof info) == 0) {
        lastError_ = LastSystemError();
        return lastError_;
    }
    if (info.AllocationSize.QuadPart < end) {
        FILE_ALLOCATION_INFO allocation{};
        allocation.AllocationSize.QuadPart = end;
        if (SetFileInformationByHandle(AsHandle(fd_), FileAllocationInfo, &allocation, sizeof allocation) == 0) {
            lastError_ = LastSystemError();
            return lastError_;
        }
    }
    if (info.EndOfFile.QuadPart < end && !SetLength(end)) return lastError_;
    return 0;
}

bool File::SetLength(std::int64_t length)
{
    // Through the file information, so that the file position stays put.
    FILE_END_OF_FILE_INFO eof{};
    eof.EndOfFile.QuadPart = length;
    if (SetFileInformationByHandle(AsHandle(fd_), FileEndOfFileInfo, &eof, sizeof eof) != 0) return true;
    lastError_ = LastSystemError();
    return false;
}

bool File::Map(std::int64_t length, MappedRegion& region)
{
    region.Unmap();
    if (length <= 0) return false;
    const auto size = static_cast<std::uint64_t>(length);
    const HANDLE mapping = CreateFileMappingW(AsHandle(fd_), nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                              static_cast<DWORD>(size & 0xFFFFFFFFu), nullptr);
    if (mapping == nullptr) {
        lastError_ = LastSystemError();
        return false;
    }
    void* p = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(length));
    if (p == nullptr) lastError_ = LastSystemError();
    // The view keeps the mapping alive on its own.
    CloseHandle(mapping);
    if (p == nullptr) return false;
    region.data_ = static_cast<std::uint8_t*>(p);
    region.size_ = length;
    return true;
}

std::string File::LastErrorText() const { return SystemErrorText(lastError_); }

bool OpenReadOnly(File& file, const std::string& path) { return file.Open(path, false); }

bool OpenReadWrite(File& file, const std::string& path) { return file.Open(path, true); }

int RenameFile(const std::string& from, const std::string& to)
{
    if (MoveFileExW(FilePath(from).c_str(), FilePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return LastSystemError();
}

int RemoveFile(const std::string& path) { return DeleteFileW(FilePath(path).c_str()) != 0 ? 0 : LastSystemError(); }

bool SameFile(const std::string& a, const std::string& b)
{
    // The names as UTF-16: a path made from 8-bit text would take it as the ANSI code page.
    std::error_code ec;
    return std::filesystem::equivalent(std::filesystem::path(FilePath(a)), std::filesystem::path(FilePath(b)), ec);
}

// A rename is made durable by the file system's own journal on Windows.
int SyncFolderOf(const std::string&) { return 0; }

}  // namespace kdx
