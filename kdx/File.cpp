// A file over its file system: the handle, the last error, and the checks
// that are the same whichever file system is underneath.
#include "kdx/File.h"

#include <utility>

namespace kdx {

MappedRegion::~MappedRegion() { Unmap(); }

bool MappedRegion::Flush()
{
    if (data_ == nullptr) return true;
    lastError_ = files_->FlushMap(data_, size_);
    return lastError_ == 0;
}

bool MappedRegion::Unmap()
{
    if (data_ == nullptr) return true;
    lastError_ = files_->Unmap(std::exchange(data_, nullptr), std::exchange(size_, 0));
    return lastError_ == 0;
}

File::File(File&& other) noexcept
    : files_(other.files_), handle_(std::exchange(other.handle_, kInvalid)), lastError_(other.lastError_)
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        files_ = other.files_;
        handle_ = std::exchange(other.handle_, kInvalid);
        lastError_ = other.lastError_;
    }
    return *this;
}

bool File::Open(const std::string& path, bool writable)
{
    Close();
    Handle handle = kInvalid;
    if (const int rc = files_->Open(path, writable, handle); rc != 0) return Failed(rc);
    handle_ = handle;
    return true;
}

bool File::Create(const std::string& path)
{
    Close();
    Handle handle = kInvalid;
    if (const int rc = files_->Create(path, handle); rc != 0) return Failed(rc);
    handle_ = handle;
    return true;
}

bool File::Close()
{
    if (handle_ == kInvalid) return true;
    const int rc = files_->Close(std::exchange(handle_, kInvalid));
    return rc == 0 || Failed(rc);
}

std::int64_t File::ReadAt(std::int64_t position, void* buffer, std::int64_t n)
{
    if (position < 0) return -1;
    std::int64_t got = 0;
    if (const int rc = files_->Read(handle_, position, buffer, n, got); rc != 0) {
        lastError_ = rc;
        return -1;
    }
    return got;
}

bool File::WriteAt(std::int64_t position, const void* buffer, std::int64_t n)
{
    const int rc = files_->Write(handle_, position, buffer, n);
    return rc == 0 || Failed(rc);
}

bool File::Sync()
{
    const int rc = files_->Sync(handle_, false);
    return rc == 0 || Failed(rc);
}

bool File::SyncData()
{
    const int rc = files_->Sync(handle_, true);
    return rc == 0 || Failed(rc);
}

std::int64_t File::Length()
{
    std::int64_t length = -1;
    if (const int rc = files_->Length(handle_, length); rc != 0) {
        lastError_ = rc;
        return -1;
    }
    return length;
}

bool File::IsSparse() const { return files_->IsSparse(handle_); }

int File::Reserve(std::int64_t offset, std::int64_t length)
{
    if (length <= 0) return 0;
    const int rc = files_->Reserve(handle_, offset, length);
    if (rc != 0) lastError_ = rc;
    return rc;
}

bool File::SetLength(std::int64_t length)
{
    const int rc = files_->SetLength(handle_, length);
    return rc == 0 || Failed(rc);
}

bool File::Map(std::int64_t length, MappedRegion& region)
{
    region.Unmap();
    if (length <= 0) return false;
    std::uint8_t* data = nullptr;
    if (const int rc = files_->Map(handle_, length, data); rc != 0) return Failed(rc);
    region.files_ = files_;
    region.data_ = data;
    region.size_ = length;
    return true;
}

bool File::Facts(FileFacts& facts)
{
    const int rc = files_->InspectOpen(handle_, facts);
    return rc == 0 || Failed(rc);
}

std::string File::LastErrorText() const { return SystemErrorText(lastError_); }

bool OpenReadOnly(File& file, const std::string& path) { return file.Open(path, false); }

bool OpenReadWrite(File& file, const std::string& path) { return file.Open(path, true); }

int RenameFile(const std::string& from, const std::string& to, FileSystem& files) { return files.Rename(from, to); }

int RemoveFile(const std::string& path, FileSystem& files) { return files.Remove(path); }

int SyncFolderOf(const std::string& path, FileSystem& files) { return files.SyncFolderOf(path); }

bool SameFile(const std::string& a, const std::string& b, FileSystem& files) { return files.SameFile(a, b); }

}  // namespace kdx
