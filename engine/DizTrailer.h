// The FILE_ID.DIZ trailer that may end a version 2.0 or 3.0 patch: an
// 18-byte lead-in, the text, a 16-byte end marker ending in "DIZ", and the
// text's length in lengthBytes bytes (4 in version 2.0, 2 in version 3.0).
#pragma once

#include "uStd.h"

#include <cstdint>
#include <string>

namespace engine {

// Readers never hold more of a text than this.
inline constexpr std::int64_t kDizTextMax = 3072;

struct DizTrailer {
    bool present = false;
    std::uint32_t length = 0;        // the stored length of the text
    std::int64_t nonRecordBytes = 0; // header + trailer (header alone without one)
    std::string text;                // at most kDizTextMax bytes of the text
};

// Looks for the trailer at the end of a patch of fileLength bytes whose header
// is headerLength bytes long. Reads nothing outside the file and at most
// kDizTextMax bytes of text; a text that would begin before the file's start
// reads as empty.
DizTrailer ReadDizTrailer(uStd::FileHandle& patch, std::int64_t fileLength, std::int64_t headerLength,
                          int lengthBytes);

}  // namespace engine
