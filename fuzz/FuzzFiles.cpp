#include "fuzz/FuzzFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fuzzfiles {

namespace {

std::string gFolder;

void RemoveFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(gFolder, ec);
}

const std::string& Folder()
{
    if (!gFolder.empty()) return gFolder;
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr;
    std::string pattern = (base != nullptr ? std::string(base) : std::filesystem::temp_directory_path().string()) +
                          "/mendrix-fuzz-XXXXXX";
    Require(mkdtemp(pattern.data()) != nullptr, "cannot make the scratch folder");
    gFolder = pattern;
    std::atexit(RemoveFolder);
    return gFolder;
}

}  // namespace

std::string Scratch(const std::string& name) { return Folder() + "/" + name; }

void Write(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Require(fd >= 0, "cannot create a scratch file");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd, data + done, size - done);
        Require(put > 0, "cannot write a scratch file");
        done += static_cast<std::size_t>(put);
    }
    Require(::close(fd) == 0, "cannot close a scratch file");
}

Bytes Read(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Require(fd >= 0, "cannot open a scratch file");
    struct stat st {};
    Require(fstat(fd, &st) == 0, "cannot stat a scratch file");
    Bytes out(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::read(fd, out.data() + done, out.size() - done);
        Require(got > 0, "cannot read a scratch file");
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return out;
}

void Require(bool holds, const char* what)
{
    if (holds) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

}  // namespace fuzzfiles
