// The apply loop that every version shares: the record area is walked
// without writing first, so a damaged patch writes nothing; then each
// record's bytes go into the image, with one pump per record.
#pragma once

#include "RecordReader.h"
#include "uStd.h"

#include <cstdint>

namespace engine {

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
WalkResult WalkRecords(uStd::FileHandle& patch, const RecordFormat& format);

// Which of a record's bytes an apply writes.
enum class Write { Patched, Undo };

// Checks the record area (no data, damaged, negative offset), then writes
// the records in file order. Shows its own error box and answers false on
// failure; nothing is written unless the whole record area is sound.
bool ApplyRecords(uStd::FileHandle& patch, uStd::FileHandle& image, const RecordFormat& format,
                  std::int64_t patchDataLength, Write which);

}  // namespace engine
