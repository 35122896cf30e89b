// The raw sectors of an open image: the whole image checked (and on
// request repaired) in pieces, and the sectors a patch's records touch,
// checked before an apply writes and given their EDC/ECC after it. Behind a
// cue sheet, only the tracks whose mode carries EDC/ECC are looked at.
#pragma once

#include "kdx/Image.h"
#include "kdx/Observer.h"
#include "kdx/RecordReader.h"
#include "kdx/SectorBitmap.h"
#include "kdx/SectorLayout.h"
#include "kdx/SectorScan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kdx {

// What the scan found in one track.
struct TrackTally {
    SectorTrack track;
    SectorTally tally;  // empty for a track that is not checked
};

struct ImageScan {
    SectorTally tally;               // every checked sector
    std::vector<TrackTally> tracks;  // each track (one for a one-file image)
    bool cue = false;
    bool ok = true;  // false: reading or writing failed (reason holds the system's words)
    std::string reason;
    bool writing = false;  // the failure was a write or a sync
};

// Checks every sector of the layout's checked tracks (LayOutSectors),
// reading it once; with fix, writes the repaired sectors (and only those)
// back and makes them durable before it returns. The observer hears done
// of total bytes once per piece.
ImageScan ScanImage(Image& image, const SectorLayout& layout, bool fix, Observer& observer);

// Adds what part counted to total (the wrong LBAs listed after total's).
void AddTally(SectorTally& total, const SectorTally& part);

// Marks every sector of a checked track that a record of the area writes
// into. False when the records cannot be read to their end.
bool MarkTouchedSectors(File& patch, const RecordFormat& format, const SectorLayout& layout, SectorBitmap& touched);

struct MarkedCheck {
    std::uint64_t right = 0;  // checkable, EDC and ECC right
    std::uint64_t wrong = 0;  // checkable, EDC or ECC wrong
    std::uint64_t other = 0;  // nothing to check
    bool ok = true;           // false: a read failed
    std::string reason;
};

// Checks the marked sectors; with keepOnlyRight, unmarks every one that is
// not a checkable sector with a right EDC/ECC.
MarkedCheck CheckMarkedSectors(Image& image, const SectorLayout& layout, SectorBitmap& marked, bool keepOnlyRight);

struct MarkedRepair {
    std::uint64_t updated = 0;  // sectors whose EDC/ECC bytes changed
    bool ok = true;
    std::string reason;
};

// Recomputes the EDC/ECC of the marked sectors, writes the sectors that
// change and makes them durable. A sector whose stored EDC/ECC match its
// data already is neither changed nor written.
MarkedRepair RepairMarkedSectors(Image& image, const SectorLayout& layout, const SectorBitmap& marked);

struct BrokenSectors {
    std::uint64_t count = 0;
    std::uint64_t first = 0;  // the first one's LBA, when count > 0
};

// The same sectors of a checked track in two images side by side, as its
// file holds them, the first at firstLba: counts those whose EDC/ECC are
// wrong in modified while right in original, and with fix repairs them in
// modified. Only whole sectors are looked at.
void FindBrokenSectors(const SectorTrack& track, std::uint64_t firstLba, std::span<const std::uint8_t> original,
                       std::span<std::uint8_t> modified, bool fix, BrokenSectors& broken);

}  // namespace kdx
