#include "kdx/Validate.h"

#include <cstring>

namespace kdx {

bool CheckImageSize(const Patch& patch, Image& image)
{
    return image.Length() == static_cast<std::int64_t>(patch.ImageSize());
}

bool ValidateImage(const Patch& patch, Image& image)
{
    if (!patch.BlockCheck()) return true;
    return ImageHoldsBlock(image, patch.BlockPosition(), patch.BlockData());
}

bool ImageHoldsBlock(Image& image, std::int64_t position, const std::uint8_t* block)
{
    std::uint8_t read[field::kBlockData.size];
    if (image.ReadAt(position, read, field::kBlockData.size) != field::kBlockData.size) return false;
    return std::memcmp(read, block, field::kBlockData.size) == 0;
}

}  // namespace kdx
