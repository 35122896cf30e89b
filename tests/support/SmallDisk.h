// A small file system of its own for a test: a tmpfs of a few KiB mounted on
// a folder, to fill up or to turn read-only. Needs the right to mount (root
// with CAP_SYS_ADMIN); where that is missing, Mounted() is false and
// Reason() says why, for the test to skip with.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

class SmallDisk {
public:
    SmallDisk(const std::string& folder, std::int64_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Reason() const { return reason_; }
    std::string File(const std::string& name) const { return folder_ + "/" + name; }

    // Writes into a filler file until the disk is full.
    void Fill();
    // Mounts the disk again read-only; false (with Reason) when refused.
    bool MakeReadOnly();

private:
    std::string folder_;
    bool mounted_ = false;
    std::string reason_;
};

}  // namespace testsupport
