// The raw sectors of an open image file: the whole image checked (and on
// request repaired) in pieces, and the sectors a patch's records touch,
// checked before an apply writes and given their EDC/ECC after it.
#pragma once

#include "kdx/File.h"
#include "kdx/Observer.h"
#include "kdx/RecordReader.h"
#include "kdx/SectorBitmap.h"
#include "kdx/SectorScan.h"

#include <cstdint>

namespace kdx {

// Whether the open image is raw, from its length and its first bytes;
// sectors is set to its number of whole sectors. Unreadable when either
// cannot be read (the image's LastError says why).
RawVerdict JudgeImage(File& image, std::uint64_t& sectors);

struct ImageScan {
    RawVerdict verdict = RawVerdict::Raw;
    SectorTally tally;
    bool ok = true;  // false: reading or writing failed (error holds the system's number)
    int error = 0;
    bool writing = false;  // the failure was a write or a sync
};

// Checks every sector of a raw image, reading it once; with fix, writes the
// repaired sectors (and only those) back and makes them durable before it
// returns. An image that is not raw is neither scanned nor touched (one
// that cannot be read is a failed scan). The
// observer hears done of total bytes once per piece.
ImageScan ScanImage(File& image, bool fix, Observer& observer);

// Marks every sector that a record of the area writes into. False when the
// records cannot be read to their end.
bool MarkTouchedSectors(File& patch, const RecordFormat& format, SectorBitmap& touched);

struct MarkedCheck {
    std::uint64_t right = 0;  // checkable, EDC and ECC right
    std::uint64_t wrong = 0;  // checkable, EDC or ECC wrong
    std::uint64_t other = 0;  // nothing to check
    bool ok = true;           // false: a read failed
    int error = 0;
};

// Checks the marked sectors; with keepOnlyRight, unmarks every one that is
// not a checkable sector with a right EDC/ECC.
MarkedCheck CheckMarkedSectors(File& image, SectorBitmap& marked, bool keepOnlyRight);

struct MarkedRepair {
    std::uint64_t updated = 0;  // sectors whose EDC/ECC bytes changed
    bool ok = true;
    int error = 0;
};

// Recomputes the EDC/ECC of the marked sectors, writes the sectors that
// change and makes them durable. A sector whose stored EDC/ECC match its
// data already is neither changed nor written.
MarkedRepair RepairMarkedSectors(File& image, const SectorBitmap& marked);

struct BrokenSectors {
    std::uint64_t count = 0;
    std::uint64_t first = 0;  // the first one's LBA, when count > 0
};

// The same sectors of two images side by side, the first at firstLba: counts
// those whose EDC/ECC are wrong in modified while right in original, and
// with fix repairs them in modified. Only whole sectors are looked at.
void FindBrokenSectors(std::uint64_t firstLba, std::span<const std::uint8_t> original,
                       std::span<std::uint8_t> modified, bool fix, BrokenSectors& broken);

}  // namespace kdx
