// A file system that passes every call on to another one (the system's by
// default) and makes chosen calls fail: the N-th call of one operation on one
// file, or every such call, with a given error number. Files are told by
// their path, or by their part: a writer's temporary file beside its target
// has a name no test can know in advance.
#pragma once

#include "kdx/FileSystem.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

enum class FileOp {
    Open, Create, Close, Read, Write, Sync, Length, Reserve, SetLength, Map, FlushMap, Unmap, Rename, Remove,
    SyncFolder, Inspect  // Inspect: by name or of an open file
};

// Which files a fault concerns.
class FileMatch {
public:
    enum class By { Any, Path, TemporaryOf };
    FileMatch() = default;
    FileMatch(By by, std::string path) : by_(by), path_(std::move(path)) {}

    bool Matches(const std::string& name) const;

private:
    By by_ = By::Any;
    std::string path_;
};
FileMatch AnyFile();
FileMatch Named(const std::string& path);
// The temporary file a writer fills beside target before renaming it (target.part-N).
FileMatch TemporaryOf(const std::string& target);

class FaultyFiles final : public kdx::FileSystem {
public:
    explicit FaultyFiles(kdx::FileSystem& inner);
    FaultyFiles();

    // The nth such call (counted from 1 from now on; 0: every one) fails
    // with error, and does nothing, except Close and Unmap: those give the
    // handle or the map back and then report the error, as the system does.
    // A rename matches by either name; a folder sync by the path it was given.
    void Fail(FileOp op, const FileMatch& file, int error, int nth = 1);
    // Runs action just before the nth such call is passed on (0: each one).
    void Before(FileOp op, const FileMatch& file, std::function<void()> action, int nth = 1);
    // Calls of op on matching files so far, failed ones included.
    int Calls(FileOp op, const FileMatch& file) const;

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

private:
    struct Rule {
        FileOp op;
        FileMatch file;
        int nth;
        int error;                    // 0: an action
        std::function<void()> action;
        int seen = 0;
    };
    struct Call {
        FileOp op;
        std::string path;
        std::string other{};  // a rename's new name
    };

    // The error the call must fail with (0: pass it on), after counting it
    // and running what must run before it.
    int Check(const Call& call);
    std::string PathOf(Handle handle) const;

    kdx::FileSystem& inner_;
    std::vector<Rule> rules_;
    std::vector<Call> calls_;
    std::map<Handle, std::string> paths_;
    std::map<const std::uint8_t*, std::string> maps_;
};

}  // namespace testsupport
