// A file system in memory that records every change a power loss could
// undo: writes (a memory map's changed pages become writes when they reach
// the file), length changes, syncs, and the names made, changed and removed
// in each folder together with the folder syncs. CrashStates.h rebuilds from
// that record what a power loss may leave behind.
//
// It behaves as the POSIX files do where the library can tell: no sharing
// (EWOULDBLOCK), EEXIST, ENOENT, EISDIR, EBADF for a write through a
// read-only handle; optionally a disk that holds only so many bytes (ENOSPC).
// Folders exist once made (or once a file is put in them); "." and "/" always do.
#pragma once

#include "kdx/FileSystem.h"
#include "tests/support/PatchBuilder.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// Files by name: a starting point, or what a crash leaves.
using FileTree = std::map<std::string, Bytes>;

// One recorded change.
struct FileChange {
    enum class Kind {
        Write,       // file, offset, bytes
        SetLength,   // file, offset: the new length
        Grow,        // file, offset: the length it grows to at least
        Sync,        // file
        Create,      // file named path
        Rename,      // file named path takes the name to
        Remove,      // the name path goes
        SyncFolder,  // path: the folder
    };
    Kind kind;
    int file = -1;
    std::string path{};
    std::string to{};
    std::int64_t offset = 0;
    Bytes bytes{};
};

// The folder a path lies in, as SyncFolderOf sees it.
std::string FolderOf(const std::string& path);
// A Write, SetLength or Grow done to the bytes of a file.
void ApplyChange(Bytes& content, const FileChange& change);

class MemoryFiles final : public kdx::FileSystem {
public:
    MemoryFiles() = default;
    // These files, durable; the record starts empty.
    explicit MemoryFiles(const FileTree& files);

    // Puts a durable file (not recorded), making its folder.
    void Put(const std::string& path, const Bytes& bytes);
    void MakeFolder(const std::string& path) { folders_.insert(path); }
    // What the file holds now (a map's changes included), or nothing.
    std::optional<Bytes> Get(const std::string& path) const;
    // Every named file now.
    FileTree Files() const;
    bool HeldOpen(const std::string& path) const;
    // Files may hold this many bytes together from now on (ENOSPC past it).
    void LimitSpace(std::int64_t bytes) { space_ = bytes; }

    // From here on the record starts again, from the files as they are now
    // (all taken as durable): the names, and what each file holds.
    void StartRecord();
    const std::vector<FileChange>& Record() const { return record_; }
    const std::map<std::string, int>& StartNames() const { return startNames_; }
    const std::map<int, Bytes>& StartContents() const { return startContents_; }

    int Open(const std::string& path, bool writable, Handle& handle) override;
    int Create(const std::string& path, Handle& handle) override;
    int Close(Handle handle) override;
    int Read(Handle handle, std::int64_t position, void* buffer, std::int64_t n, std::int64_t& got) override;
    int Write(Handle handle, std::int64_t position, const void* buffer, std::int64_t n) override;
    int Sync(Handle handle, bool dataOnly) override;
    int Length(Handle handle, std::int64_t& length) override;
    bool IsSparse(Handle handle) override;
    int Reserve(Handle handle, std::int64_t offset, std::int64_t length) override;
    int SetLength(Handle handle, std::int64_t length) override;
    int Map(Handle handle, std::int64_t length, std::uint8_t*& data) override;
    int FlushMap(std::uint8_t* data, std::int64_t length) override;
    int Unmap(std::uint8_t* data, std::int64_t length) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Remove(const std::string& path) override;
    int Inspect(const std::string& path, kdx::FileFacts& facts) override;
    int InspectOpen(Handle handle, kdx::FileFacts& facts) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    int SyncFolderOf(const std::string& path) override;

    static constexpr std::int64_t kPage = 4096;

private:
    struct OpenFile {
        int file;
        bool writable;
    };
    struct Mapping {
        int file;
        std::vector<std::uint8_t> pages;
    };

    // The handle's file, or nullptr (EBADF).
    const OpenFile* Find(Handle handle) const;
    bool FolderExists(const std::string& path) const;
    // Pages of the file's maps that differ from it reach the file, as writes.
    void WriteBack(int file);
    void WriteBack(Mapping& map);
    // Maps of the file see what was written to it.
    void Refresh(int file);
    // Changes the file's bytes and records it; ENOSPC when the space runs out.
    int Change(int file, FileChange change);
    std::int64_t Used() const;

    std::map<std::string, int> names_;
    std::map<int, Bytes> contents_;
    std::set<std::string> folders_{".", "/"};
    std::map<int, int> openCount_;
    std::map<Handle, OpenFile> handles_;
    std::map<const std::uint8_t*, Mapping> maps_;
    int nextFile_ = 1;
    Handle nextHandle_ = 3;
    std::optional<std::int64_t> space_;

    std::vector<FileChange> record_;
    std::map<std::string, int> startNames_;
    std::map<int, Bytes> startContents_;
};

}  // namespace testsupport
