// What mendrix-cli check prints: one labelled line per check of a patch
// against an image, then the image's state, made from the library's values.
#pragma once

#include "kdx/ImageCheck.h"
#include "kdx/ImageSectors.h"

#include <cstdint>
#include <string>
#include <vector>

namespace commands {

// The lines of the checks (image size, block, patch data, records) and of
// the image's state, in that order; a check the version lacks has none.
std::vector<std::string> CheckLines(const kdx::ImageCheckResult& result);

// The line on the EDC/ECC of the touched sectors of a raw image.
std::string TouchedSectorsLine(const kdx::MarkedCheck& check, std::uint64_t touched);

}  // namespace commands
