#include "tests/support/FaultyFiles.h"

#include <algorithm>
#include <utility>

namespace testsupport {

bool FileMatch::Matches(const std::string& name) const
{
    switch (by_) {
    case By::Any: return true;
    case By::Path: return name == path_;
    case By::TemporaryOf: {
        const std::string prefix = path_ + ".part-";
        return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0;
    }
    }
    return false;
}

FileMatch AnyFile() { return {}; }
FileMatch Named(const std::string& path) { return {FileMatch::By::Path, path}; }
FileMatch TemporaryOf(const std::string& target) { return {FileMatch::By::TemporaryOf, target}; }

FaultyFiles::FaultyFiles(kdx::FileSystem& inner) : inner_(inner) {}
FaultyFiles::FaultyFiles() : inner_(kdx::SystemFiles()) {}

void FaultyFiles::Fail(FileOp op, const FileMatch& file, int error, int nth)
{
    rules_.push_back({op, file, nth, error, {}});
}

void FaultyFiles::Before(FileOp op, const FileMatch& file, std::function<void()> action, int nth)
{
    rules_.push_back({op, file, nth, 0, std::move(action)});
}

int FaultyFiles::Calls(FileOp op, const FileMatch& file) const
{
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [&](const Call& c) {
        return c.op == op && (file.Matches(c.path) || (!c.other.empty() && file.Matches(c.other)));
    }));
}

int FaultyFiles::Check(const Call& call)
{
    calls_.push_back(call);
    int error = 0;
    for (Rule& rule : rules_) {
        if (rule.op != call.op) continue;
        if (!rule.file.Matches(call.path) && (call.other.empty() || !rule.file.Matches(call.other))) continue;
        ++rule.seen;
        if (rule.nth != 0 && rule.seen != rule.nth) continue;
        if (rule.error == 0) rule.action();
        else if (error == 0) error = rule.error;
    }
    return error;
}

std::string FaultyFiles::PathOf(Handle handle) const
{
    const auto open = paths_.find(handle);
    return open == paths_.end() ? std::string() : open->second;
}

int FaultyFiles::Open(const std::string& path, bool writable, Handle& handle)
{
    if (const int error = Check({FileOp::Open, path}); error != 0) return error;
    const int rc = inner_.Open(path, writable, handle);
    if (rc == 0) paths_[handle] = path;
    return rc;
}

int FaultyFiles::Create(const std::string& path, Handle& handle)
{
    if (const int error = Check({FileOp::Create, path}); error != 0) return error;
    const int rc = inner_.Create(path, handle);
    if (rc == 0) paths_[handle] = path;
    return rc;
}

int FaultyFiles::Close(Handle handle)
{
    const int error = Check({FileOp::Close, PathOf(handle)});
    paths_.erase(handle);
    const int rc = inner_.Close(handle);
    return error != 0 ? error : rc;
}

int FaultyFiles::Read(Handle handle, std::int64_t position, void* buffer, std::int64_t n, std::int64_t& got)
{
    if (const int error = Check({FileOp::Read, PathOf(handle)}); error != 0) return error;
    return inner_.Read(handle, position, buffer, n, got);
}

int FaultyFiles::Write(Handle handle, std::int64_t position, const void* buffer, std::int64_t n)
{
    if (const int error = Check({FileOp::Write, PathOf(handle)}); error != 0) return error;
    return inner_.Write(handle, position, buffer, n);
}

int FaultyFiles::Sync(Handle handle, bool dataOnly)
{
    if (const int error = Check({FileOp::Sync, PathOf(handle)}); error != 0) return error;
    return inner_.Sync(handle, dataOnly);
}

int FaultyFiles::Length(Handle handle, std::int64_t& length)
{
    if (const int error = Check({FileOp::Length, PathOf(handle)}); error != 0) return error;
    return inner_.Length(handle, length);
}

bool FaultyFiles::IsSparse(Handle handle) { return inner_.IsSparse(handle); }

int FaultyFiles::Reserve(Handle handle, std::int64_t offset, std::int64_t length)
{
    if (const int error = Check({FileOp::Reserve, PathOf(handle)}); error != 0) return error;
    return inner_.Reserve(handle, offset, length);
}

int FaultyFiles::SetLength(Handle handle, std::int64_t length)
{
    if (const int error = Check({FileOp::SetLength, PathOf(handle)}); error != 0) return error;
    return inner_.SetLength(handle, length);
}

int FaultyFiles::Map(Handle handle, std::int64_t length, std::uint8_t*& data)
{
    if (const int error = Check({FileOp::Map, PathOf(handle)}); error != 0) return error;
    const int rc = inner_.Map(handle, length, data);
    if (rc == 0) maps_[data] = PathOf(handle);
    return rc;
}

int FaultyFiles::FlushMap(std::uint8_t* data, std::int64_t length)
{
    if (const int error = Check({FileOp::FlushMap, maps_[data]}); error != 0) return error;
    return inner_.FlushMap(data, length);
}

int FaultyFiles::Unmap(std::uint8_t* data, std::int64_t length)
{
    const int error = Check({FileOp::Unmap, maps_[data]});
    maps_.erase(data);
    const int rc = inner_.Unmap(data, length);
    return error != 0 ? error : rc;
}

int FaultyFiles::Rename(const std::string& from, const std::string& to)
{
    if (const int error = Check({FileOp::Rename, from, to}); error != 0) return error;
    return inner_.Rename(from, to);
}

int FaultyFiles::Remove(const std::string& path)
{
    if (const int error = Check({FileOp::Remove, path}); error != 0) return error;
    return inner_.Remove(path);
}

int FaultyFiles::Inspect(const std::string& path, kdx::FileFacts& facts)
{
    if (const int error = Check({FileOp::Inspect, path}); error != 0) return error;
    return inner_.Inspect(path, facts);
}

int FaultyFiles::InspectOpen(Handle handle, kdx::FileFacts& facts)
{
    if (const int error = Check({FileOp::Inspect, PathOf(handle)}); error != 0) return error;
    return inner_.InspectOpen(handle, facts);
}

bool FaultyFiles::SameFile(const std::string& a, const std::string& b) { return inner_.SameFile(a, b); }

int FaultyFiles::SyncFolderOf(const std::string& path)
{
    if (const int error = Check({FileOp::SyncFolder, path}); error != 0) return error;
    return inner_.SyncFolderOf(path);
}

}  // namespace testsupport
