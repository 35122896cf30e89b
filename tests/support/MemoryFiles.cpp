#include "tests/support/MemoryFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace testsupport {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

void ApplyChange(Bytes& content, const FileChange& change)
{
    const auto at = static_cast<std::size_t>(change.offset);
    switch (change.kind) {
    case FileChange::Kind::Write:
        if (content.size() < at + change.bytes.size()) content.resize(at + change.bytes.size(), 0);
        std::copy(change.bytes.begin(), change.bytes.end(), content.begin() + change.offset);
        break;
    case FileChange::Kind::SetLength: content.resize(at, 0); break;
    case FileChange::Kind::Grow: content.resize(std::max(content.size(), at), 0); break;
    default: break;
    }
}

MemoryFiles::MemoryFiles(const FileTree& files)
{
    for (const auto& [path, bytes] : files) Put(path, bytes);
    StartRecord();
}

void MemoryFiles::Put(const std::string& path, const Bytes& bytes)
{
    for (std::string folder = FolderOf(path); folders_.insert(folder).second; folder = FolderOf(folder)) {
    }
    auto named = names_.find(path);
    const int file = named != names_.end() ? named->second : nextFile_++;
    names_[path] = file;
    contents_[file] = bytes;
    Refresh(file);
}

std::optional<Bytes> MemoryFiles::Get(const std::string& path) const
{
    const auto named = names_.find(path);
    if (named == names_.end()) return std::nullopt;
    Bytes content = contents_.at(named->second);
    for (const auto& [data, map] : maps_) {
        if (map.file != named->second) continue;
        const std::size_t n = std::min(content.size(), map.pages.size());
        std::copy_n(map.pages.begin(), n, content.begin());
    }
    return content;
}

FileTree MemoryFiles::Files() const
{
    FileTree files;
    for (const auto& [path, file] : names_) files[path] = *Get(path);
    return files;
}

bool MemoryFiles::HeldOpen(const std::string& path) const
{
    const auto named = names_.find(path);
    if (named == names_.end()) return false;
    const auto count = openCount_.find(named->second);
    return count != openCount_.end() && count->second > 0;
}

void MemoryFiles::StartRecord()
{
    for (auto& [data, map] : maps_) WriteBack(map);
    record_.clear();
    startNames_ = names_;
    startContents_ = contents_;
}

const MemoryFiles::OpenFile* MemoryFiles::Find(Handle handle) const
{
    const auto open = handles_.find(handle);
    return open == handles_.end() ? nullptr : &open->second;
}

bool MemoryFiles::FolderExists(const std::string& path) const { return folders_.count(FolderOf(path)) != 0; }

void MemoryFiles::WriteBack(Mapping& map)
{
    // The system writes back whole pages, and only those that changed.
    const Bytes& content = contents_[map.file];
    const auto end = static_cast<std::int64_t>(std::min(content.size(), map.pages.size()));
    for (std::int64_t page = 0; page < end; page += kPage) {
        const std::int64_t n = std::min(kPage, end - page);
        if (std::memcmp(map.pages.data() + page, content.data() + page, static_cast<std::size_t>(n)) == 0) continue;
        FileChange write{FileChange::Kind::Write, map.file};
        write.offset = page;
        write.bytes.assign(map.pages.begin() + page, map.pages.begin() + page + n);
        ApplyChange(contents_[map.file], write);
        record_.push_back(std::move(write));
    }
}

void MemoryFiles::WriteBack(int file)
{
    for (auto& [data, map] : maps_)
        if (map.file == file) WriteBack(map);
}

void MemoryFiles::Refresh(int file)
{
    for (auto& [data, map] : maps_) {
        if (map.file != file) continue;
        const Bytes& content = contents_[file];
        const std::size_t n = std::min(content.size(), map.pages.size());
        std::copy_n(content.begin(), n, map.pages.begin());
    }
}

std::int64_t MemoryFiles::Used() const
{
    std::int64_t used = 0;
    for (const auto& [file, content] : contents_) used += static_cast<std::int64_t>(content.size());
    return used;
}

int MemoryFiles::Change(int file, FileChange change)
{
    WriteBack(file);
    Bytes& content = contents_[file];
    const auto before = static_cast<std::int64_t>(content.size());
    std::int64_t after = change.offset;
    if (change.kind == FileChange::Kind::Write) after = std::max(before, change.offset + static_cast<std::int64_t>(change.bytes.size()));
    if (change.kind == FileChange::Kind::Grow) after = std::max(before, change.offset);
    if (space_ && after > before && Used() + after - before > *space_) return ENOSPC;
    if (change.kind != FileChange::Kind::Write && after == before) return 0;
    ApplyChange(content, change);
    change.file = file;
    record_.push_back(std::move(change));
    Refresh(file);
    return 0;
}

int MemoryFiles::Open(const std::string& path, bool writable, Handle& handle)
{
    if (folders_.count(path) != 0) return EISDIR;
    const auto named = names_.find(path);
    if (named == names_.end()) return ENOENT;
    if (openCount_[named->second] > 0) return EWOULDBLOCK;
    ++openCount_[named->second];
    handle = nextHandle_++;
    handles_[handle] = {named->second, writable};
    return 0;
}

int MemoryFiles::Create(const std::string& path, Handle& handle)
{
    if (names_.count(path) != 0 || folders_.count(path) != 0) return EEXIST;
    if (!FolderExists(path)) return ENOENT;
    const int file = nextFile_++;
    names_[path] = file;
    contents_[file] = {};
    record_.push_back({FileChange::Kind::Create, file, path});
    ++openCount_[file];
    handle = nextHandle_++;
    handles_[handle] = {file, true};
    return 0;
}

int MemoryFiles::Close(Handle handle)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr) return EBADF;
    --openCount_[open->file];
    handles_.erase(handle);
    return 0;
}

int MemoryFiles::Read(Handle handle, std::int64_t position, void* buffer, std::int64_t n, std::int64_t& got)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr) return EBADF;
    WriteBack(open->file);
    const Bytes& content = contents_[open->file];
    const auto size = static_cast<std::int64_t>(content.size());
    got = std::clamp<std::int64_t>(size - position, 0, n);
    if (got > 0) std::memcpy(buffer, content.data() + position, static_cast<std::size_t>(got));
    return 0;
}

int MemoryFiles::Write(Handle handle, std::int64_t position, const void* buffer, std::int64_t n)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr || !open->writable) return EBADF;
    if (position < 0) return EINVAL;
    if (n == 0) return 0;
    FileChange write{FileChange::Kind::Write};
    write.offset = position;
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    write.bytes.assign(p, p + n);
    return Change(open->file, std::move(write));
}

int MemoryFiles::Sync(Handle handle, bool /*dataOnly*/)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr) return EBADF;
    // A sync takes the map's changed pages along, as the system's does.
    WriteBack(open->file);
    record_.push_back({FileChange::Kind::Sync, open->file});
    return 0;
}

int MemoryFiles::Length(Handle handle, std::int64_t& length)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr) return EBADF;
    length = static_cast<std::int64_t>(contents_[open->file].size());
    return 0;
}

bool MemoryFiles::IsSparse(Handle /*handle*/) { return false; }

int MemoryFiles::Reserve(Handle handle, std::int64_t offset, std::int64_t length)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr || !open->writable) return EBADF;
    if (offset < 0 || length <= 0) return EINVAL;
    FileChange grow{FileChange::Kind::Grow};
    grow.offset = offset + length;
    return Change(open->file, std::move(grow));
}

int MemoryFiles::SetLength(Handle handle, std::int64_t length)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr) return EBADF;
    if (!open->writable || length < 0) return EINVAL;
    FileChange cut{FileChange::Kind::SetLength};
    cut.offset = length;
    return Change(open->file, std::move(cut));
}

int MemoryFiles::Map(Handle handle, std::int64_t length, std::uint8_t*& data)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr || !open->writable) return EACCES;
    // A map past the end would fault when touched; the library reserves first.
    if (length > static_cast<std::int64_t>(contents_[open->file].size())) return EINVAL;
    Mapping map{open->file, Bytes(contents_[open->file].begin(), contents_[open->file].begin() + length)};
    data = map.pages.data();
    maps_.emplace(data, std::move(map));
    return 0;
}

int MemoryFiles::FlushMap(std::uint8_t* data, std::int64_t /*length*/)
{
    const auto map = maps_.find(data);
    if (map == maps_.end()) return EINVAL;
    // Written to the file, not yet durable: a sync of the file does that.
    WriteBack(map->second);
    return 0;
}

int MemoryFiles::Unmap(std::uint8_t* data, std::int64_t /*length*/)
{
    const auto map = maps_.find(data);
    if (map == maps_.end()) return EINVAL;
    WriteBack(map->second);
    maps_.erase(map);
    return 0;
}

int MemoryFiles::Rename(const std::string& from, const std::string& to)
{
    const auto named = names_.find(from);
    if (named == names_.end()) return folders_.count(from) != 0 ? EISDIR : ENOENT;
    if (folders_.count(to) != 0) return EISDIR;
    if (!FolderExists(to)) return ENOENT;
    if (from == to) return 0;
    const int file = named->second;
    names_.erase(named);
    names_[to] = file;
    record_.push_back({FileChange::Kind::Rename, file, from, to});
    return 0;
}

int MemoryFiles::Remove(const std::string& path)
{
    if (folders_.count(path) != 0) return EISDIR;
    const auto named = names_.find(path);
    if (named == names_.end()) return ENOENT;
    record_.push_back({FileChange::Kind::Remove, named->second, path});
    names_.erase(named);
    return 0;
}

int MemoryFiles::Inspect(const std::string& path, kdx::FileFacts& facts)
{
    // Names are plain here (no links): only "." and ".." parts and doubled slashes are undone.
    std::u8string normal = std::filesystem::path(path).lexically_normal().generic_u8string();
    if (normal.size() > 1 && normal.back() == u8'/') normal.pop_back();
    const std::string name(normal.begin(), normal.end());
    facts = {};
    facts.path = name;
    facts.volume = 1;
    if (folders_.count(name) != 0) {
        facts.kind = kdx::FileFacts::Kind::Folder;
        return 0;
    }
    const auto named = names_.find(name);
    if (named == names_.end()) return ENOENT;
    facts.kind = kdx::FileFacts::Kind::File;
    facts.index = static_cast<std::uint64_t>(named->second);
    facts.links = 1;
    facts.length = static_cast<std::int64_t>(Get(name)->size());
    return 0;
}

int MemoryFiles::InspectOpen(Handle handle, kdx::FileFacts& facts)
{
    const OpenFile* open = Find(handle);
    if (open == nullptr) return EBADF;
    facts = {};
    facts.kind = kdx::FileFacts::Kind::File;
    facts.volume = 1;
    facts.index = static_cast<std::uint64_t>(open->file);
    facts.links = 1;
    facts.length = static_cast<std::int64_t>(contents_[open->file].size());
    return 0;
}

bool MemoryFiles::SameFile(const std::string& a, const std::string& b)
{
    const auto x = names_.find(a);
    const auto y = names_.find(b);
    return x != names_.end() && y != names_.end() && x->second == y->second;
}

int MemoryFiles::SyncFolderOf(const std::string& path)
{
    const std::string folder = FolderOf(path);
    if (folders_.count(folder) == 0) return ENOENT;
    record_.push_back({FileChange::Kind::SyncFolder, -1, folder});
    return 0;
}

}  // namespace testsupport
