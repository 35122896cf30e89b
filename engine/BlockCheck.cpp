#include "BlockCheck.h"

#include <cstring>

namespace engine {

bool ImageHoldsBlock(uStd::FileHandle& image, std::int64_t position, const std::uint8_t* block)
{
    std::uint8_t read[kBlockLength];
    if (image.Seek(position, uStd::SeekOrigin::Begin) != position) return false;
    if (image.Read(read, kBlockLength) != kBlockLength) return false;
    return std::memcmp(read, block, kBlockLength) == 0;
}

}  // namespace engine
