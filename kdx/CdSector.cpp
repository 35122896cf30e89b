#include "kdx/CdSector.h"

#include "kdx/EdcFold.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kdx {

namespace {

// Where things are in a sector.
constexpr std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kHeaderAt = 12, kHeaderSize = 4, kModeAt = 15;
constexpr std::size_t kSubmodeAt = 18;
constexpr std::uint8_t kForm2Bit = 0x20;
constexpr std::size_t kMode1EdcEnd = 2064;      // EDC over 0-2063, stored at 2064
constexpr std::size_t kForm1EdcEnd = 2072;      // EDC over 16-2071, stored at 2072
constexpr std::size_t kForm2EdcEnd = 2348;      // EDC over 16-2347, stored at 2348
constexpr std::size_t kMode2EdcStart = 16;
constexpr std::size_t kPAt = 2076, kQAt = 2248;

// The parity matrix: bytes 12-2075 as 1032 16-bit words, 43 to a row, and
// the 86 words of P as rows 24 and 25. Each byte plane is coded on its own,
// and every step below is byte-wise, so a row is simply 86 byte lanes.
constexpr std::size_t kColumns = 43, kRowBytes = 2 * kColumns;
constexpr std::size_t kDataRows = 24, kRows = 26;
constexpr std::size_t kQLanes = 2 * kRows;

// For Q the rows lie apart with zero bytes between them (and before the
// first): a read that runs up to 25 words before or 32 words past a row
// picks up zeros, never a neighbour's words.
constexpr std::size_t kGap = 64;
constexpr std::size_t kStride = kRowBytes + kGap;
constexpr std::size_t kQAccumulator = 64;  // 52 lanes used, the rest rounds the loop up

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

// ---- GF(2^8) with x^8+x^4+x^3+x^2+1; alpha is x (the value 2).

constexpr std::uint8_t Times2(std::uint8_t v)
{
    return static_cast<std::uint8_t>((v << 1) ^ (0x1D & -(v >> 7)));
}

constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b)
{
    std::uint8_t product = 0;
    for (; b != 0; b >>= 1, a = Times2(a))
        if ((b & 1) != 0) product ^= a;
    return product;
}

// x / (alpha + 1) for every x: the last step of solving for the two parity bytes.
constexpr std::array<std::uint8_t, 256> MakeDivideBy3()
{
    std::uint8_t inverse = 1;
    while (Multiply(3, inverse) != 1) ++inverse;
    std::array<std::uint8_t, 256> t{};
    for (int x = 0; x < 256; ++x) t[x] = Multiply(static_cast<std::uint8_t>(x), inverse);
    return t;
}

constexpr std::array<std::uint8_t, 256> kDivideBy3 = MakeDivideBy3();

// x * alpha^(j-25) for the Q code word j: the weight its fold still lacks
// (see ComputeParity). alpha has order 255.
using QWeights = std::array<std::array<std::uint8_t, 256>, kRows>;
constexpr QWeights MakeQWeights()
{
    QWeights t{};
    std::uint8_t power = 1;
    for (std::size_t n = 0; n < 255 - (kRows - 1); ++n) power = Times2(power);
    for (std::size_t j = 0; j < kRows; ++j, power = Times2(power))
        for (int x = 0; x < 256; ++x) t[j][x] = Multiply(static_cast<std::uint8_t>(x), power);
    return t;
}

constexpr QWeights kQWeights = MakeQWeights();

// The two parity bytes of one code word whose check equations are
//   sum(v[i]) = 0  and  sum(alpha^(n-1-i) * v[i]) = 0,  i = 0 .. n-1,
// with the parity at i = n-2 and n-1. `sum` is the sum of the data bytes,
// `horner` the data folded as h = h*alpha + v[i]; the data's share of the
// second sum is then alpha^2 * horner, and the two equations give
//   p0 = (sum + alpha^2*horner) / (alpha + 1),  p1 = sum + p0.
void SolveParity(const std::uint8_t* sum, const std::uint8_t* horner, std::size_t lanes, std::uint8_t* p0,
                 std::uint8_t* p1)
{
    for (std::size_t k = 0; k < lanes; ++k) {
        const std::uint8_t first = kDivideBy3[sum[k] ^ Times2(Times2(horner[k]))];
        p0[k] = first;
        p1[k] = sum[k] ^ first;
    }
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
    // A copy of the matrix, rows apart: the header may have to read as zero,
    // and Q needs the new P in rows 24 and 25.
    std::uint8_t matrix[kGap + kRows * kStride] = {};
    const auto row = [&matrix](std::size_t r) { return matrix + kGap + r * kStride; };
    for (std::size_t r = 0; r < kDataRows; ++r) std::memcpy(row(r), sector.data() + kHeaderAt + r * kRowBytes, kRowBytes);
    if (withZeroHeader) std::memset(row(0), 0, kHeaderSize);

    // P: one code word per column (lane), down the 24 data rows.
    std::uint8_t sum[kRowBytes] = {};
    std::uint8_t horner[kRowBytes] = {};
    for (std::size_t r = 0; r < kDataRows; ++r) {
        const std::uint8_t* bytes = row(r);
        for (std::size_t k = 0; k < kRowBytes; ++k) {
            sum[k] ^= bytes[k];
            horner[k] = static_cast<std::uint8_t>(Times2(horner[k]) ^ bytes[k]);
        }
    }
    SolveParity(sum, horner, kRowBytes, row(kDataRows), row(kDataRows + 1));
    std::memcpy(p.data(), row(kDataRows), kRowBytes);
    std::memcpy(p.data() + kRowBytes, row(kDataRows + 1), kRowBytes);

    // Q: code word j takes from column c = 0..42 the word of row (j + c) mod 26,
    // and its fold is sum(alpha^(42-c) * word). With t = j + c that weight is
    // alpha^(j-25) * alpha^(67-t): the rows, taken as t = 0 .. 67 (row t mod
    // 26), are folded with alpha alone, and each code word's weight is applied
    // once at the end. Counted backwards (u = 25 - j), the words row t gives
    // (columns c = u + t - 25) lie side by side: one straight run of the row
    // per step, the zeros around it standing for the columns that do not exist.
    constexpr std::size_t kSteps = kRows + kColumns - 1;
    std::uint8_t sumU[kQAccumulator] = {};
    std::uint8_t foldU[kQAccumulator] = {};
    for (std::size_t t = 0; t < kSteps; ++t) {
        std::uint8_t run[kQAccumulator];  // a copy: the loop below then vectorises
        std::memcpy(run, row(t % kRows) + 2 * t - 2 * (kRows - 1), kQAccumulator);
        for (std::size_t k = 0; k < kQAccumulator; ++k) {
            sumU[k] ^= run[k];
            foldU[k] = static_cast<std::uint8_t>(Times2(foldU[k]) ^ run[k]);
        }
    }
    std::uint8_t qSum[kQLanes];
    std::uint8_t qHorner[kQLanes];
    for (std::size_t j = 0; j < kRows; ++j)
        for (std::size_t b = 0; b < 2; ++b) {
            const std::size_t u = 2 * (kRows - 1 - j) + b;
            qSum[2 * j + b] = sumU[u];
            qHorner[2 * j + b] = kQWeights[j][foldU[u]];
        }
    SolveParity(qSum, qHorner, kQLanes, q.data(), q.data() + kQLanes);
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
