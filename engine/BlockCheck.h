// The block check of versions 2.0 and 3.0: 1024 bytes the image must hold.
#pragma once

#include "uStd.h"

#include <cstdint>

namespace engine {

inline constexpr std::int64_t kBlockLength = 1024;

// True when the image holds the 1024 bytes of block at position. An image
// too short to hold the whole block answers false.
bool ImageHoldsBlock(uStd::FileHandle& image, std::int64_t position, const std::uint8_t* block);

}  // namespace engine
