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

// The line on the walk of a record area: passed with the count of records,
// or failed with the record at fault and why. info shows it for a patch
// whose records fail, check for every patch.
std::string RecordsLine(const kdx::WalkResult& walk);

// The line on the EDC/ECC of the touched sectors of a raw image.
std::string TouchedSectorsLine(const kdx::MarkedCheck& check, std::uint64_t touched);

}  // namespace commands
