// The validations of an image against a patch before anything is written:
// the image's size (2.0) and the header's 1024-byte block (2.0, and 3.0
// when its flag asks). They read the image and report; they never write.
#pragma once

#include "kdx/Image.h"
#include "kdx/Patch.h"

#include <cstdint>

namespace kdx {

// True when the image's length equals the size the patch stores. Only for
// a version that stores one (2.0).
bool CheckImageSize(const Patch& patch, Image& image);

// True when the patch has no block check, or the image holds its block at
// the block position. An image too short to hold the whole block fails.
bool ValidateImage(const Patch& patch, Image& image);

// True when the image holds the 1024 bytes of block at position.
bool ImageHoldsBlock(Image& image, std::int64_t position, const std::uint8_t* block);

}  // namespace kdx
