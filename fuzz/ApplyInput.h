// How the apply target reads its input, shared with the seed generator:
// the first byte chooses the answers, the undo tick and the image; the rest
// is the patch.
#pragma once

#include <cstdint>
#include <vector>

namespace fuzzinput {

using Bytes = std::vector<std::uint8_t>;

enum Control : std::uint8_t {
    kSizeYes = 1,      // the size question is answered Yes (else No)
    kBlockYes = 2,     // the block question is answered Yes (else No)
    kUndoTicked = 4,   // the undo box is ticked at Apply
    kShapeShift = 3,   // bits 3 to 5: the image's shape
};

// The images an apply is tried on: empty, tiny, small, and the lengths
// around the two block-check positions (37,664 and 32,928, plus 1024).
inline constexpr std::int64_t kShapeLengths[8] = {0, 1, 64, 4096, 38688, 33952, 38687, 40000};

inline std::uint8_t ImageByte(std::int64_t i)
{
    return static_cast<std::uint8_t>(i * 131 + (i >> 8) * 7 + 1);
}

inline Bytes ImageOfShape(int shape)
{
    Bytes image(static_cast<std::size_t>(kShapeLengths[shape & 7]));
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = ImageByte(static_cast<std::int64_t>(i));
    return image;
}

inline int ShapeOf(std::uint8_t control) { return (control >> kShapeShift) & 7; }

// The largest length an image may reach in the apply target (its file size limit).
inline constexpr std::int64_t kFileSizeLimit = std::int64_t{1} << 20;

}  // namespace fuzzinput
