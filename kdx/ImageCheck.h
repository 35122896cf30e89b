// Checks a loaded patch against an image without writing anything: the
// version's validations, the walk of the record area, and how far the image
// already holds the patch's bytes (or, with undo data, the original ones).
#pragma once

#include "kdx/Image.h"
#include "kdx/Patch.h"
#include "kdx/Walk.h"

#include <cstdint>

namespace kdx {

enum class BlockVerdict {
    NoneInVersion,  // version 1.0 has no block check
    NotInPatch,     // version 3.0 with the check switched off
    Passed,
    Differs,
    ImageTooShort
};

struct ImageCheckResult {
    std::int64_t imageLength = 0;
    bool sizeChecked = false;  // version 2.0
    bool sizeMatches = false;
    std::uint32_t expectedSize = 0;
    BlockVerdict block = BlockVerdict::NoneInVersion;
    std::int64_t blockPosition = -1;
    std::int64_t patchDataLength = 0;
    bool walked = false;  // false when the patch holds no record bytes
    WalkResult walk;
    // Known when the walk found the record area sound.
    bool stateKnown = false;
    std::int64_t records = 0;
    std::int64_t patchedRecords = 0;   // records whose bytes the image holds already
    bool undoChecked = false;          // the patch carries undo data
    std::int64_t originalRecords = 0;  // records whose original bytes the image holds

    // True when every check passed: size, block, patch data and records.
    bool Passed() const;
};

// Checks a read patch (its file open read-only) against the image (open at
// least for reading). Reads only.
ImageCheckResult CheckImage(const Patch& loaded, File& patch, Image& image);

}  // namespace kdx
