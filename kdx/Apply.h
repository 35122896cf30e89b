// Apply and undo of a patch into an image: the record area is walked
// without writing first, so a damaged patch writes nothing; then each
// record's bytes go into the image in file order, with one observer step
// per record. Where records overlap, the later one wins.
#pragma once

#include "kdx/File.h"
#include "kdx/Image.h"
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
    PartSector,    // the records would end a cue sheet's last track file inside a sector: nothing written
    WriteFailed    // the image could not be written (reason holds the system's words)
};

struct ApplyResult {
    ApplyStatus status = ApplyStatus::Written;
    std::string reason;       // WriteFailed: why; PartSector: the last track file
    std::int64_t record = 0;  // Damaged, OutsideImage: the record (counted from 1); PartSector: the sector size

    bool Written() const { return status == ApplyStatus::Written; }
};

// Checks the record area of a patch read by ReadPatch, then writes what
// loaded.Writes chose, record by record in file order. Nothing is written
// unless the whole record area is sound; a failed write ends it, leaving the
// image at its length before. An image behind a cue sheet grows only by
// whole sectors of its last track, so that its sheet still reads.
ApplyResult ApplyPatch(const Patch& loaded, File& patch, Image& image, const WriteChoice& writes, Observer& observer);

}  // namespace kdx
