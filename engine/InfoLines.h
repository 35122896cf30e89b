// Building the information lines that every version unit lists.
#pragma once

#include "../platform/Controls.h"

#include <cstdint>
#include <string>

namespace engine {

using platform::InfoLines;

// "Filename       : " + the path, and the other labelled lines: a label filled
// out with spaces to 15 characters, ": " and the value.
std::string Labelled(const std::string& label, const std::string& value);
// A length in decimal followed by " Bytes".
std::string Bytes(std::int64_t length);

// The three lines about a FILE_ID.DIZ trailer ("Nope", or "Yes, showing ...",
// an empty line and the text as one entry).
void AppendDizLines(InfoLines& lines, bool hasTrailer, const std::string& text);

}  // namespace engine
