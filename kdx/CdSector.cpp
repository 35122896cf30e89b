#include "kdx/CdSector.h"

#include "kdx/EdcFold.h"
#include "kdx/Parity.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kdx {

namespace {

// Where things are in a sector.
constexpr std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kHeaderAt = 12, kModeAt = 15;
constexpr std::size_t kSubmodeAt = 18;
constexpr std::uint8_t kForm2Bit = 0x20;
constexpr std::size_t kMode1EdcEnd = 2064;      // EDC over 0-2063, stored at 2064
constexpr std::size_t kForm1EdcEnd = 2072;      // EDC over 16-2071, stored at 2072
constexpr std::size_t kForm2EdcEnd = 2348;      // EDC over 16-2347, stored at 2348
constexpr std::size_t kMode2EdcStart = 16;
constexpr std::size_t kPAt = 2076, kQAt = 2248;
static_assert(kPParitySize == detail::kPBytes && kQParitySize == detail::kQBytes);

// ---- EDC: table-driven CRC, eight bytes per step.

constexpr std::uint32_t kEdcPolyReflected = 0xD8018001;  // 0x8001801B, bits reversed

using EdcTables = std::array<std::array<std::uint32_t, 256>, 8>;

// tables[k][b]: the CRC of byte b followed by k zero bytes.
constexpr EdcTables MakeEdcTables()
{
    EdcTables t{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t c = b;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? (c >> 1) ^ kEdcPolyReflected : c >> 1;
        t[0][b] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t b = 0; b < 256; ++b) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
    return t;
}

constexpr EdcTables kEdcTables = MakeEdcTables();

std::uint32_t Load32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Store32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t TableEdc(std::span<const std::uint8_t> bytes, std::uint32_t crc)
{
    const auto& t = kEdcTables;
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        const std::uint32_t lo = crc ^ Load32(p);
        const std::uint32_t hi = Load32(p + 4);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; n > 0; --n, ++p) crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFF];
    return crc;
}

std::uint32_t StoredEdc(SectorView s, std::size_t end) { return Load32(s.data() + end); }

std::uint32_t ComputedEdc(SectorView s, std::size_t start, std::size_t end)
{
    return Edc(s.subspan(start, end - start));
}

// Where the EDC of a sector of this kind starts and ends (end = where it is stored).
struct EdcField {
    std::size_t start, end;
};

EdcField EdcFieldOf(SectorKind kind)
{
    switch (kind) {
    case SectorKind::Mode1: return {0, kMode1EdcEnd};
    case SectorKind::Mode2Form1: return {kMode2EdcStart, kForm1EdcEnd};
    default: return {kMode2EdcStart, kForm2EdcEnd};
    }
}

bool HasParity(SectorKind kind) { return kind == SectorKind::Mode1 || kind == SectorKind::Mode2Form1; }

}  // namespace

bool HasSyncPattern(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= sizeof kSync && std::memcmp(bytes.data(), kSync, sizeof kSync) == 0;
}

void PutHeadlessFront(std::uint8_t* sector)
{
    static_assert(kHeadlessFront == sizeof kSync + 4);
    std::memcpy(sector, kSync, sizeof kSync);
    std::memset(sector + kHeaderAt, 0, 3);
    sector[kModeAt] = 2;
}

SectorKind KindOf(SectorView sector)
{
    if (!HasSyncPattern(sector)) return SectorKind::Other;
    switch (sector[kModeAt]) {
    case 1: return SectorKind::Mode1;
    case 2: return (sector[kSubmodeAt] & kForm2Bit) != 0 ? SectorKind::Mode2Form2 : SectorKind::Mode2Form1;
    default: return SectorKind::Other;
    }
}

std::uint32_t Edc(std::span<const std::uint8_t> bytes, std::uint32_t crc)
{
    const std::size_t blocks = bytes.size() / 16;
    std::uint8_t folded[16];
    if (detail::FoldEdc(bytes.data(), blocks, crc, folded))
        return TableEdc(bytes.subspan(16 * blocks), TableEdc(folded, 0));
    return TableEdc(bytes, crc);
}

void ComputeParity(SectorView sector, bool withZeroHeader, std::span<std::uint8_t, kPParitySize> p,
                   std::span<std::uint8_t, kQParitySize> q)
{
    const std::uint8_t* rows = sector.data() + kHeaderAt;
    if (!detail::FastParity(rows, withZeroHeader, p.data(), q.data()))
        detail::PortableParity(rows, withZeroHeader, p.data(), q.data());
}

SectorCheck CheckSector(SectorView sector)
{
    SectorCheck check;
    check.kind = KindOf(sector);
    if (!check.Checkable()) return check;

    const EdcField edc = EdcFieldOf(check.kind);
    const std::uint32_t stored = StoredEdc(sector, edc.end);
    const bool notComputed = check.kind == SectorKind::Mode2Form2 && stored == 0;
    check.edcRight = notComputed || stored == ComputedEdc(sector, edc.start, edc.end);

    if (HasParity(check.kind)) {
        std::array<std::uint8_t, kPParitySize> p;
        std::array<std::uint8_t, kQParitySize> q;
        ComputeParity(sector, check.kind == SectorKind::Mode2Form1, p, q);
        check.eccRight = std::equal(p.begin(), p.end(), sector.begin() + kPAt) &&
                         std::equal(q.begin(), q.end(), sector.begin() + kQAt);
    }
    return check;
}

bool RepairSector(SectorBytes sector)
{
    const SectorKind kind = KindOf(sector);
    if (kind == SectorKind::Other) return false;

    bool changed = false;
    const EdcField edc = EdcFieldOf(kind);
    const std::uint32_t stored = StoredEdc(sector, edc.end);
    if (!(kind == SectorKind::Mode2Form2 && stored == 0)) {
        const std::uint32_t right = ComputedEdc(sector, edc.start, edc.end);
        if (right != stored) {
            Store32(sector.data() + edc.end, right);
            changed = true;
        }
    }
    if (HasParity(kind)) {
        std::array<std::uint8_t, kPParitySize> p;
        std::array<std::uint8_t, kQParitySize> q;
        ComputeParity(sector, kind == SectorKind::Mode2Form1, p, q);
        const auto pAt = sector.begin() + kPAt;
        const auto qAt = sector.begin() + kQAt;
        if (!std::equal(p.begin(), p.end(), pAt) || !std::equal(q.begin(), q.end(), qAt)) {
            std::copy(p.begin(), p.end(), pAt);
            std::copy(q.begin(), q.end(), qAt);
            changed = true;
        }
    }
    return changed;
}

}  // namespace kdx
