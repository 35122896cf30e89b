// What mendrix-cli says about raw sectors: the check, the repair and the
// EDC/ECC kept right around an apply or a make.
#pragma once

#include "kdx/ImageSectors.h"
#include "kdx/SectorScan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace commands {

// The lines of `sectors`: behind a cue sheet one line per track first (its
// mode, its sectors and what was found in them, or why it is not checked);
// then the count of each kind, the wrong ones and (fix) the fixed ones.
std::vector<std::string> SectorLines(const kdx::ImageScan& scan, bool fix);

// "Track 01" for track 1.
std::string TrackLabel(int number);

}  // namespace commands

namespace commands::text {

inline constexpr const char* kFixSectorsQuestion =
    "Some discs carry sectors whose EDC/ECC are wrong on purpose (copy protection); such a disc may "
    "no longer start once they are made right. Write the right EDC/ECC into every Mode 1 and Mode 2 "
    "sector found wrong, in place?";
inline constexpr const char* kNothingFixed = "Nothing written.";

inline std::string SectorsUpdated(std::uint64_t n) { return "EDC/ECC updated in " + std::to_string(n) + " sectors"; }

// --fix-sectors on an image that is not raw: the reason, and that nothing changes.
inline std::string FixSectorsNotRaw(const std::string& notRaw)
{
    return notRaw + ": --fix-sectors leaves the image as the patch writes it";
}

inline std::string BrokenSectorsWarning(std::int64_t n, std::int64_t firstLba)
{
    return "MODIFIED has " + std::to_string(n) + " sectors whose EDC/ECC do not match their data (first LBA " +
           std::to_string(firstLba) +
           "); fix them with `mendrix-cli sectors --fix` first, or the patched disc will not read there";
}

inline std::string BrokenSectorsFixed(std::int64_t n)
{
    return "The patch carries the right EDC/ECC for " + std::to_string(n) +
           " sectors of MODIFIED (MODIFIED itself is unchanged)";
}

inline constexpr const char* kNoTrackWithEdc =
    "No track of the cue sheet has sectors with EDC/ECC (only AUDIO and MODE1/2048 tracks)";

inline std::string CantReadSectors(const std::string& reason)
{
    return "Can't read the image's sectors (" + reason + "). This operation has been cancelled.";
}

}  // namespace commands::text
