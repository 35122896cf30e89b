#include "tests/support/RawSectors.h"

#include "kdx/CdSector.h"

namespace testsupport {

namespace {

std::uint8_t Bcd(std::uint32_t v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

// The user data: a pattern that differs from sector to sector.
void FillData(Bytes& s, std::size_t from, std::size_t to, std::uint32_t lba)
{
    for (std::size_t i = from; i < to; ++i) s[i] = static_cast<std::uint8_t>(i * 7 + lba * 13 + 1);
}

}  // namespace

Bytes RawSector(RawKind kind, std::uint32_t lba)
{
    Bytes s(2352, 0);
    if (kind == RawKind::Audio) {
        FillData(s, 0, s.size(), lba);
        s[0] = 0x5A;  // never a sync pattern
        return s;
    }
    for (std::size_t i = 1; i <= 10; ++i) s[i] = 0xFF;
    const std::uint32_t address = lba + 150;  // LBA 0 is at 00:02:00
    s[12] = Bcd(address / (60 * 75));
    s[13] = Bcd(address / 75 % 60);
    s[14] = Bcd(address % 75);
    switch (kind) {
    case RawKind::Mode1:
        s[15] = 1;
        FillData(s, kMode1DataAt, 2064, lba);
        break;
    case RawKind::Mode2Form1:
        s[15] = 2;
        s[18] = s[22] = 0x08;  // submode: data, Form 1
        FillData(s, kMode2DataAt, 2072, lba);
        break;
    case RawKind::Mode2Form2:
    case RawKind::Mode2Form2NoEdc:
        s[15] = 2;
        s[18] = s[22] = 0x20;  // submode: Form 2
        FillData(s, kMode2DataAt, 2348, lba);
        break;
    default: break;  // Mode0: nothing after the header
    }
    if (kind == RawKind::Mode2Form2) {
        // A repair leaves an EDC of 0 alone (not computed), so it is written here.
        const std::uint32_t edc = kdx::Edc({s.data() + 16, 2348 - 16});
        for (int i = 0; i < 4; ++i) s[2348 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(edc >> (8 * i));
    }
    if (kind != RawKind::Mode2Form2NoEdc) kdx::RepairSector(kdx::SectorBytes(s.data(), 2352));
    return s;
}

Bytes RawImage(const std::vector<RawKind>& kinds)
{
    Bytes image;
    for (std::size_t lba = 0; lba < kinds.size(); ++lba) {
        const Bytes s = RawSector(kinds[lba], static_cast<std::uint32_t>(lba));
        image.insert(image.end(), s.begin(), s.end());
    }
    return image;
}

}  // namespace testsupport
