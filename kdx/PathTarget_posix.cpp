#include "kdx/PathTarget.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace kdx {

namespace {

void Describe(const struct stat& st, FileFacts& facts)
{
    facts.kind = S_ISREG(st.st_mode)   ? FileFacts::Kind::File
                 : S_ISDIR(st.st_mode) ? FileFacts::Kind::Folder
                                       : FileFacts::Kind::Other;
    facts.volume = static_cast<std::uint64_t>(st.st_dev);
    facts.index = static_cast<std::uint64_t>(st.st_ino);
    facts.links = static_cast<std::int64_t>(st.st_nlink);
    facts.length = static_cast<std::int64_t>(st.st_size);
}

}  // namespace

int ResolvePath(const std::string& path, FileFacts& facts)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    struct stat st {};
    if (real == nullptr || ::stat(real.get(), &st) != 0) return errno;
    Describe(st, facts);
    facts.path = real.get();
    return 0;
}

int HandleFacts(FileSystem::Handle handle, FileFacts& facts)
{
    struct stat st {};
    if (::fstat(static_cast<int>(handle), &st) != 0) return errno;
    Describe(st, facts);
    facts.path.clear();
    return 0;
}

}  // namespace kdx
