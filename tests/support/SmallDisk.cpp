#include "tests/support/SmallDisk.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

SmallDisk::SmallDisk(const std::string& folder, std::int64_t bytes) : folder_(folder)
{
    std::filesystem::create_directories(folder_);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0) {
        mounted_ = true;
    } else {
        reason_ = std::string("cannot mount a small tmpfs here (") + std::strerror(errno) + "): needs root with CAP_SYS_ADMIN";
    }
}

SmallDisk::~SmallDisk()
{
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

void SmallDisk::Fill()
{
    const int fd = ::open(File("filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return;
    const std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    // The last partial page, byte by byte.
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
}

bool SmallDisk::MakeReadOnly()
{
    if (::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0) return true;
    reason_ = std::string("cannot remount the tmpfs read-only (") + std::strerror(errno) + ")";
    return false;
}

}  // namespace testsupport
