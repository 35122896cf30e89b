// What every file operation of the library goes through. The system's own
// file system is the default; whoever opens a file may hand in another one
// (every File, every rename, removal and folder sync takes it), so that a
// call can be made to fail or the calls recorded. Nothing here is global:
// the system's file system holds no state.
//
// Every call returns 0 or an error number: errno values on POSIX; on
// Windows the system's codes, except EEXIST and ENOSPC (see File_win32.cpp).
// The calls are per buffer, never per record: a record's bytes go into a
// merge buffer or a memory map first.
#pragma once

#include <cstdint>
#include <string>

namespace kdx {

// What a name or an open file leads to.
struct FileFacts {
    enum class Kind { File, Folder, Other };
    Kind kind = Kind::Other;
    std::string path;          // by name: absolute, every link resolved (UTF-8); empty for an open file
    std::uint64_t volume = 0;  // volume and index tell the file itself, whatever name reaches it
    std::uint64_t index = 0;
    std::int64_t links = 0;    // the names (hard links) the file has
    std::int64_t length = 0;   // a file's bytes

    bool SameFileAs(const FileFacts& other) const { return volume == other.volume && index == other.index; }
};

class FileSystem {
public:
    // A file descriptor, a Windows HANDLE, or whatever another file system hands out.
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    virtual ~FileSystem() = default;

    // An existing file (never a folder), held with no sharing.
    virtual int Open(const std::string& path, bool writable, Handle& handle) = 0;
    // A new file for reading and writing, held with no sharing; EEXIST when the name is taken.
    virtual int Create(const std::string& path, Handle& handle) = 0;
    // Gives the handle back; it is gone even when an error is reported.
    virtual int Close(Handle handle) = 0;

    // Up to n bytes from position (position >= 0), fewer only at the end of the file.
    virtual int Read(Handle handle, std::int64_t position, void* buffer, std::int64_t n, std::int64_t& got) = 0;
    // All n bytes at position, or an error (a short write is ENOSPC).
    virtual int Write(Handle handle, std::int64_t position, const void* buffer, std::int64_t n) = 0;
    // What was written becomes durable; dataOnly leaves metadata other than
    // the length to the system.
    virtual int Sync(Handle handle, bool dataOnly) = 0;

    virtual int Length(Handle handle, std::int64_t& length) = 0;
    // True when fewer blocks are allocated than the length needs (or it cannot be told).
    virtual bool IsSparse(Handle handle) = 0;
    // Disk space for [offset, offset + length) (length > 0), growing the file to its end.
    virtual int Reserve(Handle handle, std::int64_t offset, std::int64_t length) = 0;
    // Cuts the file or grows it (sparse) to length.
    virtual int SetLength(Handle handle, std::int64_t length) = 0;

    // [0, length) of the file (length > 0), read/write and shared.
    virtual int Map(Handle handle, std::int64_t length, std::uint8_t*& data) = 0;
    // The mapped pages go to the file and the call waits for them.
    virtual int FlushMap(std::uint8_t* data, std::int64_t length) = 0;
    // The map is gone even when an error is reported; its changed pages still reach the file.
    virtual int Unmap(std::uint8_t* data, std::int64_t length) = 0;

    // A file takes a new name, replacing a file of that name.
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    // Where an existing file or folder's name leads, every link followed.
    virtual int Inspect(const std::string& path, FileFacts& facts) = 0;
    // The same for the file an open handle holds (facts.path stays empty).
    virtual int InspectOpen(Handle handle, FileFacts& facts) = 0;
    // True when both names lead to one existing file.
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
    // The folder that holds path becomes durable (a rename in it survives a
    // crash); 0 also where the system has no such call.
    virtual int SyncFolderOf(const std::string& path) = 0;
};

// The operating system's files (File_posix.cpp, File_win32.cpp).
FileSystem& SystemFiles();

}  // namespace kdx
