// What a file named as the image holds, told from its first bytes alone:
// a cue sheet, some other text (which is no CD image), or anything else.
#pragma once

#include <cstddef>
#include <string_view>

namespace kdx {

enum class ImageKind {
    CueSheet,  // its first command (REM lines aside) may open a sheet, and a FILE line follows
    Text,      // lines of printable text, or UTF-16 with its byte order mark
    Other      // anything else, an empty file too: taken as an image
};

// How many of a file's first bytes ClassifyImage needs.
inline constexpr std::size_t kImageKindBytes = 64 * 1024;

// Tells the kind from the file's first kImageKindBytes bytes (all of a
// shorter file). A pure function of the bytes.
ImageKind ClassifyImage(std::string_view head);

}  // namespace kdx
