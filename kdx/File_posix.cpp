// The system's files on POSIX systems.
#include "kdx/File.h"
#include "kdx/PathTarget.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx {

namespace {
// strerror_r comes in two shapes: the GNU one returns the text, the POSIX
// one fills the buffer.
[[maybe_unused]] const char* ErrorTextOf(const char* gnuResult, const char* /*buffer*/) { return gnuResult; }
[[maybe_unused]] const char* ErrorTextOf(int posixResult, const char* buffer) { return posixResult == 0 ? buffer : "Unknown error"; }
}  // namespace

std::string SystemErrorText(int error)
{
    std::array<char, 256> buffer{};
    return ErrorTextOf(strerror_r(error, buffer.data(), buffer.size()), buffer.data());
}

OpenFailure OpenFailureOf(int error)
{
    switch (error) {
    case ENOENT: return OpenFailure::Missing;
    case EACCES: return OpenFailure::Denied;
    case EISDIR: return OpenFailure::Folder;
    case EWOULDBLOCK: return OpenFailure::InUse;  // the lock of Open: another handle holds the file
    default: return OpenFailure::Other;
    }
}

namespace {

// The system's calls; an interrupted read or write is tried again.
class PosixFiles final : public FileSystem {
public:
    int Open(const std::string& path, bool writable, Handle& handle) override
    {
        // A write past the file size limit must fail with EFBIG rather than end the process.
        static const bool ignoreFsize = [] { return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR; }();
        (void)ignoreFsize;

        const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return errno;
        struct stat st {};
        if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(fd);
            return error;
        }
        return Hold(fd, nullptr, handle);
    }

    int Create(const std::string& path, Handle& handle) override
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) return errno;
        return Hold(fd, path.c_str(), handle);
    }

    int Close(Handle handle) override { return ::close(Fd(handle)) == 0 ? 0 : errno; }

    int Read(Handle handle, std::int64_t position, void* buffer, std::int64_t n, std::int64_t& got) override
    {
        auto* p = static_cast<char*>(buffer);
        got = 0;
        while (got < n) {
            const ssize_t r = pread(Fd(handle), p + got, static_cast<std::size_t>(n - got), static_cast<off_t>(position + got));
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return errno;
            if (r == 0) break;
            got += r;
        }
        return 0;
    }

    int Write(Handle handle, std::int64_t position, const void* buffer, std::int64_t n) override
    {
        const auto* p = static_cast<const char*>(buffer);
        std::int64_t done = 0;
        while (done < n) {
            const ssize_t put = pwrite(Fd(handle), p + done, static_cast<std::size_t>(n - done), static_cast<off_t>(position + done));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) return errno;
            if (put == 0) return ENOSPC;
            done += put;
        }
        return 0;
    }

    int Sync(Handle handle, bool dataOnly) override
    {
        return (dataOnly ? fdatasync(Fd(handle)) : fsync(Fd(handle))) == 0 ? 0 : errno;
    }

    int Length(Handle handle, std::int64_t& length) override
    {
        struct stat st {};
        if (fstat(Fd(handle), &st) != 0) return errno;
        length = static_cast<std::int64_t>(st.st_size);
        return 0;
    }

    bool IsSparse(Handle handle) override
    {
        struct stat st {};
        if (fstat(Fd(handle), &st) != 0) return true;
        return static_cast<std::int64_t>(st.st_blocks) * 512 < static_cast<std::int64_t>(st.st_size);
    }

    int Reserve(Handle handle, std::int64_t offset, std::int64_t length) override
    {
        return posix_fallocate(Fd(handle), static_cast<off_t>(offset), static_cast<off_t>(length));
    }

    int SetLength(Handle handle, std::int64_t length) override
    {
        return ftruncate(Fd(handle), static_cast<off_t>(length)) == 0 ? 0 : errno;
    }

    int Map(Handle handle, std::int64_t length, std::uint8_t*& data) override
    {
        void* p = mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE, MAP_SHARED, Fd(handle), 0);
        if (p == MAP_FAILED) return errno;
        data = static_cast<std::uint8_t*>(p);
        return 0;
    }

    int FlushMap(std::uint8_t* data, std::int64_t length) override
    {
        return msync(data, static_cast<std::size_t>(length), MS_SYNC) == 0 ? 0 : errno;
    }

    int Unmap(std::uint8_t* data, std::int64_t length) override
    {
        return munmap(data, static_cast<std::size_t>(length)) == 0 ? 0 : errno;
    }

    int Rename(const std::string& from, const std::string& to) override
    {
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

    int Inspect(const std::string& path, FileFacts& facts) override { return ResolvePath(path, facts); }

    int InspectOpen(Handle handle, FileFacts& facts) override { return HandleFacts(handle, facts); }

    bool SameFile(const std::string& a, const std::string& b) override
    {
        struct stat sa {};
        struct stat sb {};
        return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
               sa.st_ino == sb.st_ino;
    }

    int SyncFolderOf(const std::string& path) override
    {
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return errno;
        const int rc = fsync(fd) == 0 ? 0 : errno;
        ::close(fd);
        // Some file systems cannot sync a folder; the rename stands all the same.
        return rc == EINVAL ? 0 : rc;
    }

private:
    static int Fd(Handle handle) { return static_cast<int>(handle); }

    // No sharing: a file that this or another program holds open stays
    // refused. A file just created (named by created) goes again when it cannot be held.
    static int Hold(int fd, const char* created, Handle& handle)
    {
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (created != nullptr) ::unlink(created);
            return error;
        }
        handle = fd;
        return 0;
    }
};

}  // namespace

FileSystem& SystemFiles()
{
    static PosixFiles files;
    return files;
}

}  // namespace kdx
