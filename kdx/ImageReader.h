// Compares bytes with an image through one buffer of positioned reads:
// records that follow each other in the image cost one large read per
// buffer, scattered ones one small read each, never one read per byte.
#pragma once

#include "kdx/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kdx {

class ImageReader {
public:
    static constexpr std::size_t kBufferSize = 1 << 20;
    static constexpr std::size_t kSmallRead = 4096;

    explicit ImageReader(Image& image) : image_(image) {}

    // What the image holds past its end.
    enum class PastEnd {
        Nothing,  // no bytes: bytes there are not held
        Zeros     // the zeros that the file system fills a grown file with
    };

    // True when the image holds exactly these n bytes at offset; false where
    // it differs, cannot be read, or ends before them (with PastEnd::Nothing).
    bool Holds(std::int64_t offset, const std::uint8_t* bytes, std::size_t n, PastEnd pastEnd = PastEnd::Nothing);

private:
    Image& image_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t start_ = 0;     // image position of buffer_[0]
    std::size_t filled_ = 0;     // bytes valid in buffer_
};

}  // namespace kdx
