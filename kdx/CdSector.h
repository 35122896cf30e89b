// One raw 2352-byte CD sector: its kind, its error detection code (EDC) and
// its P and Q parity (ECC), checked and written. Pure functions over a
// caller's buffer; nothing here reads a file or keeps state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kdx {

inline constexpr std::size_t kSectorSize = 2352;

using SectorView = std::span<const std::uint8_t, kSectorSize>;
using SectorBytes = std::span<std::uint8_t, kSectorSize>;

// Other: no sync pattern (audio, damage) or a mode byte other than 1 and 2;
// such a sector has nothing to check and is never changed.
enum class SectorKind { Mode1, Mode2Form1, Mode2Form2, Other };

struct SectorCheck {
    SectorKind kind = SectorKind::Other;
    bool edcRight = true;  // true where there is nothing to check
    bool eccRight = true;  // true for Form 2 and Other, which carry no parity

    bool Checkable() const { return kind != SectorKind::Other; }
    bool Right() const { return edcRight && eccRight; }
};

// The 12 bytes every data sector starts with.
bool HasSyncPattern(std::span<const std::uint8_t> bytes);

SectorKind KindOf(SectorView sector);

// The EDC of bytes: the reflected CRC-32 of polynomial 0x8001801B, initial
// value 0, no final xor. Pass the result of one call as `crc` to continue
// over the following bytes.
std::uint32_t Edc(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// The 172 bytes of P parity and the 104 bytes of Q parity that belong after
// bytes 12-2075 of the sector (Mode 1), or of the sector with its four header
// bytes taken as zero (Mode 2 Form 1: withZeroHeader). Q covers the P bytes,
// so both are computed together from the sector's data.
inline constexpr std::size_t kPParitySize = 172;
inline constexpr std::size_t kQParitySize = 104;
void ComputeParity(SectorView sector, bool withZeroHeader, std::span<std::uint8_t, kPParitySize> p,
                   std::span<std::uint8_t, kQParitySize> q);

// The kind of the sector and whether its stored EDC and ECC match its data.
// A Form 2 sector whose stored EDC is 0 has none computed, which is valid.
SectorCheck CheckSector(SectorView sector);

// A Mode 2 sector kept without its sync and header (2336 bytes, from the
// subheader on). Neither its EDC nor its parity covers the header, so put
// behind the 16 bytes that PutHeadlessFront writes it checks and repairs
// as the whole sector does.
inline constexpr std::size_t kHeadlessSize = 2336;
inline constexpr std::size_t kHeadlessFront = kSectorSize - kHeadlessSize;
// Writes the sync pattern, a header of address 0 and mode 2 to sector's first 16 bytes.
void PutHeadlessFront(std::uint8_t* sector);

// Writes the EDC and the P and Q parity that the sector's data calls for.
// Writes only those fields: the 8 bytes between EDC and P of Mode 1 are
// left as they are (they are part of what P and Q cover). Other sectors and
// Form 2 sectors whose stored EDC is 0 are left untouched. Returns true when
// any byte changed.
bool RepairSector(SectorBytes sector);

}  // namespace kdx
