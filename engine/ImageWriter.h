// Writes record bytes into the image so that a record costs no system call
// of its own: merged positioned writes for records that lie back to back,
// a memory map of the image for scattered ones, the space reserved first
// either way; where a map or the reservation is not possible, merged
// positioned writes. Order is kept: where records overlap, the later one wins.
#pragma once

#include "uStd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class ImageWriter {
public:
    // Growth beyond this is written without a map, so that holes of a
    // sparse image are not filled with gigabytes of reserved space.
    static constexpr std::int64_t kMaxMappedGrowth = std::int64_t{64} << 20;
    static constexpr std::size_t kMergeBufferSize = 1 << 20;

    explicit ImageWriter(uStd::FileHandle& image) : image_(image) {}

    // Prepares writes that end at writeEnd at the latest; backToBack when
    // the records mostly continue one another (no map is made then). False
    // when the space cannot be had (a full disk, the file size limit):
    // nothing written.
    bool Begin(std::int64_t writeEnd, bool backToBack = false);
    // False when the bytes could not be written.
    bool Write(std::int64_t offset, const std::uint8_t* data, std::size_t n);
    // Flushes or unmaps; false when that failed.
    bool Finish();

    bool Mapped() const { return map_.Data() != nullptr; }
    const std::string& ErrorText() const { return error_; }

private:
    bool Flush();
    bool Fail(const std::string& reason);

    uStd::FileHandle& image_;
    uStd::MappedRegion map_;
    std::vector<std::uint8_t> pending_;
    std::int64_t pendingStart_ = 0;
    std::string error_;
};

}  // namespace engine
