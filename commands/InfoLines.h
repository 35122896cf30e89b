// The information lines the memo lists for a patch, made from its value.
#pragma once

#include "kdx/Patch.h"

#include <cstdint>
#include <string>
#include <vector>

namespace commands {

using InfoLines = std::vector<std::string>;

// A label filled out with spaces to 15 characters, ": " and the value.
std::string Labelled(const std::string& label, const std::string& value);
// A length in decimal followed by " Bytes".
std::string Bytes(std::int64_t length);

// The lines of the patch's version, in order: file name and length, method,
// (3.0) undo data, block check and image type, the 50 description bytes as
// stored, the patch-data length, and (2.0, 3.0) the FILE_ID.DIZ lines.
InfoLines BuildInfoLines(const kdx::Patch& patch);

}  // namespace commands
