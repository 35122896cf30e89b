// Apply and undo of a patch into an image: the record area is walked
// without writing first, so a damaged patch writes nothing; then each
// record's bytes go into the image in file order, with one observer step
// per record. Where records overlap, the later one wins.
#pragma once

#include "kdx/File.h"
#include "kdx/Observer.h"
#include "kdx/Patch.h"
#include "kdx/RecordReader.h"

#include <cstdint>
#include <string>

namespace kdx {

enum class ApplyStatus {
    Written,
    NoPatchData,   // the patch holds no record bytes: nothing written
    Damaged,       // a record does not fit the record area: nothing written
    OutsideImage,  // a record writes at a negative offset or out of reach: nothing written
    WriteFailed    // the image could not be written (reason holds the system's words)
};

struct ApplyResult {
    ApplyStatus status = ApplyStatus::Written;
    std::string reason;       // WriteFailed: why
    std::int64_t record = 0;  // Damaged, OutsideImage: the record (counted from 1)

    bool Written() const { return status == ApplyStatus::Written; }
};

// Checks the record area of a patch read by ReadPatch, then writes what
// loaded.Writes chose, record by record in file order. Nothing is written
// unless the whole record area is sound; a failed write ends it, leaving the
// image at its length before.
ApplyResult ApplyPatch(const Patch& loaded, File& patch, File& image, const WriteChoice& writes, Observer& observer);

}  // namespace kdx
