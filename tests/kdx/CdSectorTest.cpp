#include "kdx/CdSector.h"
#include "kdx/Parity.h"
#include "tests/support/RawSectors.h"

#include <gtest/gtest.h>

#include <string>

using kdx::SectorKind;
using testsupport::Bytes;
using testsupport::RawKind;
using testsupport::RawSector;

namespace {

std::span<const std::uint8_t> Text(const std::string& s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

kdx::SectorView View(const Bytes& s) { return kdx::SectorView(s.data(), kdx::kSectorSize); }
kdx::SectorBytes Writable(Bytes& s) { return kdx::SectorBytes(s.data(), kdx::kSectorSize); }

// The CRC one bit at a time, straight from its definition.
std::uint32_t BitwiseEdc(const std::uint8_t* p, std::size_t n)
{
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xD8018001u : crc >> 1;
    }
    return crc;
}

// GF(2^8) with x^8+x^4+x^3+x^2+1, multiplied bit by bit.
std::uint8_t GfTimes(std::uint8_t a, std::uint8_t b)
{
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i, b >>= 1) {
        if ((b & 1) != 0) r ^= a;
        a = static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) != 0 ? 0x1D : 0));
    }
    return r;
}

// The byte of plane `plane` of word n of bytes 12-2351 (header as zero when asked).
std::uint8_t Word(const Bytes& s, std::size_t n, int plane, bool zeroHeader)
{
    const std::size_t at = 12 + 2 * n + static_cast<std::size_t>(plane);
    return zeroHeader && at < 16 ? 0 : s[at];
}

// Both syndromes of a code word of `length` words (the last two the parity)
// whose i-th word is words(i): sum v_i and sum alpha^(length-1-i) v_i.
template <typename F>
bool SyndromesZero(std::size_t length, F words)
{
    std::uint8_t s0 = 0, s1 = 0;
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t weight = 1;
        for (std::size_t k = 0; k < length - 1 - i; ++k) weight = GfTimes(weight, 2);
        s0 ^= words(i);
        s1 ^= GfTimes(weight, words(i));
    }
    return s0 == 0 && s1 == 0;
}

// Every P word (26 rows of column Np) and Q word (diagonal Nq) of both planes.
bool ParityChecks(const Bytes& s, bool zeroHeader)
{
    bool all = true;
    for (int plane = 0; plane < 2; ++plane) {
        for (std::size_t np = 0; np < 43; ++np)
            all &= SyndromesZero(26, [&](std::size_t mp) { return Word(s, 43 * mp + np, plane, zeroHeader); });
        for (std::size_t nq = 0; nq < 26; ++nq)
            all &= SyndromesZero(45, [&](std::size_t mq) {
                const std::size_t n = mq < 43 ? (44 * mq + 43 * nq) % 1118 : 1118 + (mq - 43) * 26 + nq;
                return Word(s, n, plane, zeroHeader);
            });
    }
    return all;
}

TEST(EdcTest, KnownValues)
{
    const struct {
        std::string input;
        std::uint32_t edc;
    } cases[] = {
        {"123456789", 0x6EC2EDC4}, {"", 0}, {std::string(1, '\0'), 0}, {"\x01", 0x90910101},
        {"\x80", 0xD8018001}, {"\xFF\xFF\xFF\xFF", 0xAF010001}, {"MENDRIX", 0x33EFD113},
        {std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F", 16), 0x69C10A08},
    };
    for (const auto& c : cases) EXPECT_EQ(kdx::Edc(Text(c.input)), c.edc) << c.input;
}

TEST(EdcTest, EveryLengthAndContinuationMatchBitwiseCrc)
{
    const Bytes s = RawSector(RawKind::Mode1, 4321);
    for (std::size_t n = 0; n < 2352; n += n < 200 ? 1 : 97) {
        EXPECT_EQ(kdx::Edc({s.data(), n}), BitwiseEdc(s.data(), n)) << n;
        const std::size_t cut = n / 3;
        EXPECT_EQ(kdx::Edc({s.data() + cut, n - cut}, kdx::Edc({s.data(), cut})), BitwiseEdc(s.data(), n)) << n;
    }
}

TEST(CdSectorTest, WrittenParitySatisfiesEveryCheckEquation)
{
    Bytes mode1 = RawSector(RawKind::Mode1, 17);
    Bytes form1 = RawSector(RawKind::Mode2Form1, 18);
    EXPECT_TRUE(ParityChecks(mode1, false));
    EXPECT_TRUE(ParityChecks(form1, true));
    EXPECT_FALSE(ParityChecks(form1, false)) << "Form 1 parity must leave the header out";
    EXPECT_EQ(kdx::Edc({mode1.data(), 2064}), BitwiseEdc(mode1.data(), 2064));
    EXPECT_EQ(mode1[2064] | mode1[2065] << 8 | mode1[2066] << 16 | mode1[2067] << 24,
              static_cast<int>(BitwiseEdc(mode1.data(), 2064)));
    EXPECT_EQ(form1[2072] | form1[2073] << 8 | form1[2074] << 16 | static_cast<std::uint32_t>(form1[2075]) << 24,
              BitwiseEdc(form1.data() + 16, 2056));
}

TEST(CdSectorTest, AllZeroForm1HasZeroEdcAndParityButMode1HeaderCounts)
{
    Bytes form1 = RawSector(RawKind::Mode2Form1, 0);
    std::fill(form1.begin() + 16, form1.end(), 0);
    EXPECT_FALSE(kdx::RepairSector(Writable(form1)));
    EXPECT_TRUE(std::all_of(form1.begin() + 2072, form1.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(kdx::KindOf(View(form1)), SectorKind::Mode2Form1);

    Bytes mode1 = RawSector(RawKind::Mode1, 0);
    std::fill(mode1.begin() + 16, mode1.end(), 0);
    EXPECT_TRUE(kdx::RepairSector(Writable(mode1)));
    EXPECT_FALSE(std::all_of(mode1.begin() + 2076, mode1.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(ParityChecks(mode1, false));
}

TEST(CdSectorTest, ChecksKindsAndFindsEachWrongField)
{
    const struct {
        RawKind kind;
        SectorKind expected;
        std::size_t spoilAt;  // a byte to change: data, the EDC or the parity
        bool edcRight, eccRight;
    } cases[] = {
        {RawKind::Mode1, SectorKind::Mode1, 100, false, false},
        {RawKind::Mode1, SectorKind::Mode1, 2065, false, false},  // the parity covers the EDC
        {RawKind::Mode1, SectorKind::Mode1, 2070, true, false},   // the zero field is covered too
        {RawKind::Mode1, SectorKind::Mode1, 2300, true, false},
        {RawKind::Mode1, SectorKind::Mode1, 13, false, false},
        {RawKind::Mode2Form1, SectorKind::Mode2Form1, 13, true, true},  // header outside both
        {RawKind::Mode2Form1, SectorKind::Mode2Form1, 2000, false, false},
        {RawKind::Mode2Form1, SectorKind::Mode2Form1, 2100, true, false},
        {RawKind::Mode2Form2, SectorKind::Mode2Form2, 2000, false, true},
        {RawKind::Mode2Form2NoEdc, SectorKind::Mode2Form2, 2000, true, true},
        {RawKind::Audio, SectorKind::Other, 2000, true, true},
        {RawKind::Mode0, SectorKind::Other, 2000, true, true},
    };
    for (const auto& c : cases) {
        Bytes s = RawSector(c.kind, 99);
        EXPECT_TRUE(kdx::CheckSector(View(s)).Right());
        s[c.spoilAt] ^= 0x10;
        const Bytes spoilt = s;
        const kdx::SectorCheck check = kdx::CheckSector(View(s));
        EXPECT_EQ(check.kind, c.expected) << c.spoilAt;
        EXPECT_EQ(check.edcRight, c.edcRight) << static_cast<int>(c.kind) << " at " << c.spoilAt;
        EXPECT_EQ(check.eccRight, c.eccRight) << static_cast<int>(c.kind) << " at " << c.spoilAt;
        EXPECT_EQ(kdx::RepairSector(Writable(s)), !check.Right());
        EXPECT_TRUE(kdx::CheckSector(View(s)).Right());
        EXPECT_TRUE(std::equal(s.begin(), s.begin() + 2064, spoilt.begin()) || c.spoilAt >= 2064)
            << "a repair writes only the EDC and the parity";
    }
}

// Both parity paths (the vector one only where this processor has it) on
// noisy data, every byte value in every lane, with and without the header.
TEST(CdSectorTest, PortableAndVectorParityBothSatisfyTheCheckEquations)
{
    std::uint32_t noise = 12345;
    for (int round = 0; round < 8; ++round) {
        const bool zeroHeader = round % 2 == 1;
        Bytes s = RawSector(zeroHeader ? RawKind::Mode2Form1 : RawKind::Mode1, 7 + round);
        for (std::size_t i = 12; i < 2076; ++i) s[i] = static_cast<std::uint8_t>((noise = noise * 1103515245 + 12345) >> 23);
        if (round == 0) std::fill(s.begin() + 12, s.begin() + 2076, 0xFF);
        Bytes portable = s, vector = s;
        kdx::detail::PortableParity(s.data() + 12, zeroHeader, portable.data() + 2076, portable.data() + 2248);
        EXPECT_TRUE(ParityChecks(portable, zeroHeader)) << round;
        if (kdx::detail::FastParity(s.data() + 12, zeroHeader, vector.data() + 2076, vector.data() + 2248)) {
            EXPECT_EQ(vector, portable) << round;
        }
    }
}

}  // namespace
