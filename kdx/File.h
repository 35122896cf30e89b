// Files as the library uses them: handles of a file system (the system's
// own by default) with explicit 64-bit positions, opened with no sharing,
// closed when the object goes.
#pragma once

#include "kdx/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kdx {

// A memory map of an open file, read/write and shared; unmapped on destruction.
class MappedRegion {
public:
    MappedRegion() = default;
    ~MappedRegion();
    MappedRegion(const MappedRegion&) = delete;
    MappedRegion& operator=(const MappedRegion&) = delete;

    std::uint8_t* Data() const { return data_; }
    std::int64_t Size() const { return size_; }
    // Writes the mapped pages to the file and waits for it; false when the
    // system reports an error (LastError says which).
    bool Flush();
    // Unmaps; false (LastError says why) when the system refused.
    bool Unmap();
    int LastError() const { return lastError_; }

private:
    friend class File;
    FileSystem* files_ = nullptr;
    std::uint8_t* data_ = nullptr;
    std::int64_t size_ = 0;
    int lastError_ = 0;
};

// One open file of a file system: the system's own unless another is handed in.
class File {
public:
    using Handle = FileSystem::Handle;
    static constexpr Handle kInvalid = FileSystem::kNoHandle;

    File() : files_(&SystemFiles()) {}
    explicit File(FileSystem& files) : files_(&files) {}
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    bool IsOpen() const { return handle_ != kInvalid; }
    Handle Native() const { return handle_; }
    // The file system this file is opened in, for the files that go with it.
    FileSystem& System() const { return *files_; }

    // Opens an existing file (never a directory) with no sharing. Closes
    // what the handle held before. False, with the handle invalid, on failure.
    bool Open(const std::string& path, bool writable);
    // Creates a new file for reading and writing with no sharing; false when
    // the name exists already or the file cannot be made (errno in LastError).
    bool Create(const std::string& path);
    // Closes; false when the system reported an error (the handle is invalid afterwards anyway).
    bool Close();

    // Reads up to n bytes at the position, looping over short reads; the
    // count read (less at the end of the file), or -1 on an error.
    std::int64_t ReadAt(std::int64_t position, void* buffer, std::int64_t n);
    // Writes all n bytes at the position; false on an error or a short write.
    bool WriteAt(std::int64_t position, const void* buffer, std::int64_t n);
    // Makes what was written durable on disk; false on an error.
    bool Sync();
    // The same for the file's data and what is needed to read it back (its
    // length), leaving other metadata to the system; false on an error.
    bool SyncData();
    // The file's length, or -1.
    std::int64_t Length();
    // True when fewer blocks are allocated than the length needs (holes).
    bool IsSparse() const;
    // Reserves disk space for the bytes [offset, offset + length), growing the
    // file to their end when it is shorter. 0, or the system's error number.
    int Reserve(std::int64_t offset, std::int64_t length);
    // Makes the file length bytes long (cutting or growing it sparse); false on an error.
    bool SetLength(std::int64_t length);
    // Maps [0, length) of the file read/write. False when mapping is not possible.
    bool Map(std::int64_t length, MappedRegion& region);
    // What the open file is: which file, its names, its length. False on an error.
    bool Facts(FileFacts& facts);

    // The system's reason for the last failure, as text, and as its number.
    std::string LastErrorText() const;
    int LastError() const { return lastError_; }

private:
    bool Failed(int error)
    {
        lastError_ = error;
        return false;
    }

    FileSystem* files_;
    Handle handle_ = kInvalid;
    int lastError_ = 0;
};

// Opens an existing file read-only with no sharing; true when the handle is valid.
bool OpenReadOnly(File& file, const std::string& path);
// Opens an existing file for reading and writing with no sharing (never creates it).
bool OpenReadWrite(File& file, const std::string& path);

// The text of a system error number.
std::string SystemErrorText(int error);

// Why a file could not be opened, in terms both systems share: the number
// alone tells apart what a user can do something about.
enum class OpenFailure { Missing, Denied, Folder, InUse, Other };
OpenFailure OpenFailureOf(int error);

// Gives a file a new name, replacing a file of that name. 0, or the error number.
int RenameFile(const std::string& from, const std::string& to, FileSystem& files = SystemFiles());
// Makes the folder that holds path durable (a rename in it survives a crash).
// 0, or the error number; 0 also where the system has no such call.
int SyncFolderOf(const std::string& path, FileSystem& files = SystemFiles());
// Removes a file. 0, or the error number.
int RemoveFile(const std::string& path, FileSystem& files = SystemFiles());
// True when both names lead to one existing file.
bool SameFile(const std::string& a, const std::string& b, FileSystem& files = SystemFiles());

}  // namespace kdx
