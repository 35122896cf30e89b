// Writes record bytes into the image so that a record costs no system call
// of its own: merged positioned writes for records that lie back to back, a
// memory map of the image for scattered ones, the whole space reserved first
// either way; where that reservation is not possible, merged positioned
// writes into space reserved record by record. Order is kept: where records overlap, the later one wins.
// A failure leaves the image at its length before; a full disk or a file
// size limit is found before the first byte is written. An image of
// several files is written as one range: only its last file grows.
#pragma once

#include "kdx/Image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kdx {

class ImageWriter {
public:
    // Growth beyond this is written without a map, so that holes of a
    // sparse image are not filled with gigabytes of reserved space.
    static constexpr std::int64_t kMaxMappedGrowth = std::int64_t{64} << 20;
    static constexpr std::size_t kMergeBufferSize = 1 << 20;

    explicit ImageWriter(Image& image) : image_(image) {}

    // Prepares writes that end at writeEnd at the latest: the image reaches
    // its final length and, where it can, has all its space; backToBack when
    // the records mostly continue one another (no map is made then). False
    // when the space cannot be had (a full disk, the file size limit):
    // nothing written.
    bool Begin(std::int64_t writeEnd, bool backToBack = false);
    // Without a map, the space of each record is reserved before the first
    // write: the caller hands every record's place to Reserve, in file order,
    // then calls EndReservation. False on a full disk: nothing written.
    bool NeedsReservation() const { return !Mapped() && reserving_; }
    bool Reserve(std::int64_t offset, std::size_t n);
    bool EndReservation();
    // False when the bytes could not be written.
    bool Write(std::int64_t offset, const std::uint8_t* data, std::size_t n);
    // Writes what is pending (or the map's pages) and waits until the disk
    // holds it; false when any of that failed.
    bool Finish();

    bool Mapped() const { return map_.Mapped(); }
    const std::string& ErrorText() const { return error_; }

private:
    bool Flush();
    bool ReserveRun();
    // Records the reason and puts the image back to its length before.
    bool Fail(const std::string& reason);

    Image& image_;
    ImageMap map_;
    std::vector<std::uint8_t> pending_;
    std::int64_t pendingStart_ = 0;
    std::int64_t lengthBefore_ = -1;
    bool reserving_ = false;
    std::int64_t runStart_ = 0;  // the run of back-to-back records whose space is not reserved yet
    std::int64_t runEnd_ = 0;
    std::string error_;
};

}  // namespace kdx
