// The walk of a record area: every record read once, without writing,
// before an apply writes its first byte.
#pragma once

#include "kdx/File.h"
#include "kdx/RecordReader.h"

#include <cstdint>

namespace kdx {

// NegativeOffset and OutOfReach (bytes that would end past the largest
// position a file can have) are both outside of any image.
enum class WalkVerdict { Fits, Damaged, NegativeOffset, OutOfReach };

struct WalkResult {
    WalkVerdict verdict = WalkVerdict::Fits;
    std::int64_t records = 0;   // records read before the verdict
    std::int64_t writeEnd = 0;  // the highest offset + n of the records that write bytes
    std::int64_t bytes = 0;     // the bytes the records write
    std::int64_t runs = 0;      // the writes they make when back-to-back records are merged

    // True when the records mostly lie back to back: on average a run fills a page or more.
    bool BackToBack() const { return runs > 0 && bytes / runs >= 4096; }
};

// Reads every record once: complete, inside the record area, ending exactly
// at its end, and every offset one a file can have.
WalkResult WalkRecords(File& patch, const RecordFormat& format);

}  // namespace kdx
