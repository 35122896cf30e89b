// What is said of the sectors of a whole raw image: whether it is raw at
// all, how many sectors of each kind it holds and which have a wrong EDC/ECC.
#pragma once

#include "kdx/CdSector.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kdx {

enum class RawVerdict {
    Raw,
    Empty,              // no bytes at all
    LengthNotMultiple,  // the length is not a whole number of sectors
    NoSync,             // the first sector does not start with the sync pattern
    Unreadable,         // its length or its first sector cannot be read
};

// The verdict on an image of `length` bytes whose first bytes are `start`
// (at least one sector of them when the image has one).
RawVerdict JudgeRawImage(std::uint64_t length, std::span<const std::uint8_t> start);

// The user's words for an image that is not raw:
// "Not a raw image of 2352-byte sectors (<reason>)". Empty for Raw.
std::string NotRawMessage(RawVerdict verdict);

struct SectorTally {
    static constexpr std::size_t kListed = 10;

    std::uint64_t sectors = 0;
    std::uint64_t mode1 = 0, mode2Form1 = 0, mode2Form2 = 0, other = 0;
    std::uint64_t wrong = 0;     // checkable sectors whose EDC or ECC was wrong when scanned
    std::uint64_t wrongEdc = 0;  // of those, with a wrong EDC
    std::uint64_t wrongEcc = 0;  // of those, with wrong P or Q parity
    std::array<std::uint64_t, kListed> firstWrong{};  // their LBAs, in order
    std::size_t listed = 0;                           // how many of firstWrong are set
    std::uint64_t fixed = 0;     // sectors repaired (fix mode)
};

// Counts one checked sector, LBA lba, into the tally.
void CountSector(SectorTally& tally, std::uint64_t lba, const SectorCheck& check);

}  // namespace kdx
