// The bulk of an EDC computed with carry-less multiplication where the
// processor has it. Internal to CdSector.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kdx::detail {

// Folds `blocks` (at least 4) 16-byte blocks at p, with the CRC so far
// `crc` folded into the first, into one 16-byte block whose EDC equals the
// EDC of all of them. False (out untouched) when the processor cannot.
bool FoldEdc(const std::uint8_t* p, std::size_t blocks, std::uint32_t crc, std::uint8_t out[16]);

}  // namespace kdx::detail
