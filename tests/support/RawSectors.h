// Raw 2352-byte CD sectors and images of them, laid out byte by byte for
// tests: sync pattern, header (minutes, seconds, frames in BCD), mode,
// subheader, user data from a pattern; EDC and parity filled in.
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

enum class RawKind {
    Mode1,
    Mode2Form1,
    Mode2Form2,       // with its EDC
    Mode2Form2NoEdc,  // EDC field 0: not computed
    Audio,            // no sync pattern
    Mode0,            // sync pattern, mode byte 0
};

using Bytes = std::vector<std::uint8_t>;

// One sector as it stands at `lba`, its EDC and parity right.
Bytes RawSector(RawKind kind, std::uint32_t lba);
// Sectors of these kinds one after the other, the first at LBA 0.
Bytes RawImage(const std::vector<RawKind>& kinds);

// Where the user data of a Mode 1 and of a Mode 2 sector starts.
inline constexpr std::size_t kMode1DataAt = 16;
inline constexpr std::size_t kMode2DataAt = 24;

}  // namespace testsupport
