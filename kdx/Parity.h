// The P and Q parity of a sector's 24 data rows, in two implementations:
// a vector one where the processor has the instructions for it, and the
// portable one. Internal to CdSector.cpp (and its tests).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kdx::detail {

// The parity matrix: bytes 12-2075 as 1032 16-bit words, 43 to a row, and
// the 86 words of P as rows 24 and 25. Each byte plane is coded on its own,
// and every step is byte-wise, so a row is simply 86 byte lanes.
inline constexpr std::size_t kColumns = 43, kRowBytes = 2 * kColumns;
inline constexpr std::size_t kDataRows = 24, kRows = 26;
inline constexpr std::size_t kHeaderBytes = 4;
inline constexpr std::size_t kPBytes = 2 * kRowBytes, kQBytes = 4 * kRows;

// `rows`: the 2064 bytes of the 24 data rows (a sector from byte 12). With
// zeroHeader the first four bytes count as zero. Writes the 172 bytes of P
// and the 104 of Q as they are stored in the sector.
void PortableParity(const std::uint8_t* rows, bool zeroHeader, std::uint8_t* p, std::uint8_t* q);

// The same with vector instructions; false (nothing written) when the
// processor lacks them.
bool FastParity(const std::uint8_t* rows, bool zeroHeader, std::uint8_t* p, std::uint8_t* q);

}  // namespace kdx::detail
