// The file routines on POSIX systems.
#include "kdx/File.h"

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

MappedRegion::~MappedRegion() { Unmap(); }

bool MappedRegion::Flush()
{
    if (data_ == nullptr) return true;
    return msync(data_, static_cast<std::size_t>(size_), MS_SYNC) == 0;
}

bool MappedRegion::Unmap()
{
    if (data_ == nullptr) return true;
    const int rc = munmap(data_, static_cast<std::size_t>(size_));
    data_ = nullptr;
    size_ = 0;
    return rc == 0;
}

bool File::Open(const std::string& path, bool writable)
{
    Close();
    // A write past the file size limit must fail with EFBIG rather than end the process.
    static const bool ignoreFsize = [] { return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR; }();
    (void)ignoreFsize;

    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        lastError_ = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return false;
    }
    // No sharing: a file that this or another program holds open stays refused.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        lastError_ = errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool File::Create(const std::string& path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        lastError_ = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    fd_ = fd;
    return true;
}

bool File::Close()
{
    if (fd_ == kInvalid) return true;
    const int rc = ::close(fd_);
    fd_ = kInvalid;
    if (rc != 0) lastError_ = errno;
    return rc == 0;
}

std::int64_t File::ReadAt(std::int64_t position, void* buffer, std::int64_t n)
{
    if (position < 0) return -1;
    auto* p = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < n) {
        const ssize_t got = pread(fd_, p + done, static_cast<std::size_t>(n - done), static_cast<off_t>(position + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            lastError_ = errno;
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
        const ssize_t put = pwrite(fd_, p + done, static_cast<std::size_t>(n - done), static_cast<off_t>(position + done));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            lastError_ = errno;
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
    if (fsync(fd_) == 0) return true;
    lastError_ = errno;
    return false;
}

bool File::SyncData()
{
    if (faults_ != nullptr && Injected(faults_->sync)) return false;
    if (fdatasync(fd_) == 0) return true;
    lastError_ = errno;
    return false;
}

std::int64_t File::Length()
{
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        lastError_ = errno;
        return -1;
    }
    return static_cast<std::int64_t>(st.st_size);
}

bool File::IsSparse() const
{
    struct stat st {};
    if (fstat(fd_, &st) != 0) return true;
    return static_cast<std::int64_t>(st.st_blocks) * 512 < static_cast<std::int64_t>(st.st_size);
}

int File::Reserve(std::int64_t offset, std::int64_t length)
{
    if (length <= 0) return 0;
    const int rc = posix_fallocate(fd_, static_cast<off_t>(offset), static_cast<off_t>(length));
    if (rc != 0) lastError_ = rc;
    return rc;
}

bool File::SetLength(std::int64_t length)
{
    if (ftruncate(fd_, static_cast<off_t>(length)) == 0) return true;
    lastError_ = errno;
    return false;
}

bool File::Map(std::int64_t length, MappedRegion& region)
{
    region.Unmap();
    if (length <= 0) return false;
    void* p = mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (p == MAP_FAILED) {
        lastError_ = errno;
        return false;
    }
    region.data_ = static_cast<std::uint8_t*>(p);
    region.size_ = length;
    return true;
}

std::string File::LastErrorText() const { return SystemErrorText(lastError_); }

bool OpenReadOnly(File& file, const std::string& path) { return file.Open(path, false); }

bool OpenReadWrite(File& file, const std::string& path) { return file.Open(path, true); }

int RenameFile(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int SyncFolderOf(const std::string& path)
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

}  // namespace kdx
