#include "kdx/ImageReader.h"

#include <algorithm>
#include <cstring>

namespace kdx {

bool ImageReader::Holds(std::int64_t offset, const std::uint8_t* bytes, std::size_t n, PastEnd pastEnd)
{
    if (n == 0) return true;
    if (offset < 0) return false;
    const std::int64_t end = start_ + static_cast<std::int64_t>(filled_);
    if (offset < start_ || offset + static_cast<std::int64_t>(n) > end) {
        // Reading on from where the buffer ends pays for a full buffer;
        // a jump elsewhere reads only a little.
        const bool onward = offset >= start_ && offset < end + static_cast<std::int64_t>(kBufferSize);
        const std::size_t want = onward ? kBufferSize : std::max(kSmallRead, n);
        if (buffer_.size() < want) buffer_.resize(kBufferSize);
        const std::int64_t got = image_.ReadAt(offset, buffer_.data(), static_cast<std::int64_t>(want));
        if (got < 0) {
            filled_ = 0;
            return false;
        }
        start_ = offset;
        filled_ = static_cast<std::size_t>(got);
    }
    const std::int64_t inBuffer = start_ + static_cast<std::int64_t>(filled_) - offset;
    const std::size_t available = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(n), inBuffer));
    if (std::memcmp(buffer_.data() + (offset - start_), bytes, available) != 0) return false;
    if (available == n) return true;
    // The image ends inside the bytes.
    return pastEnd == PastEnd::Zeros &&
           std::all_of(bytes + available, bytes + n, [](std::uint8_t b) { return b == 0; });
}

}  // namespace kdx
