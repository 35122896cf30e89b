#include "kdx/SectorBitmap.h"
#include "kdx/SectorScan.h"
#include "tests/support/RawSectors.h"

#include <gtest/gtest.h>

#include <vector>

using kdx::RawVerdict;
using testsupport::Bytes;
using testsupport::RawKind;

namespace {

constexpr std::size_t kS = 2352;

// Fed in uneven pieces, as a reader with a buffer of its own would.
kdx::SectorScanner ScanInPieces(Bytes& image, bool fix)
{
    kdx::SectorScanner scanner;
    const std::size_t pieces[] = {1, 3, 2};
    std::size_t at = 0;
    for (std::size_t i = 0; at < image.size(); ++i) {
        const std::size_t n = std::min(image.size() - at, pieces[i % 3] * kS);
        if (fix) scanner.ScanAndFix({image.data() + at, n});
        else scanner.Scan({image.data() + at, n});
        at += n;
    }
    return scanner;
}

TEST(SectorScanTest, CountsKindsFindsOneBadSectorOfEachKindAndFixesOnlyThose)
{
    const std::vector<RawKind> kinds = {
        RawKind::Mode1, RawKind::Mode1,      RawKind::Mode2Form1, RawKind::Mode2Form1,      RawKind::Mode2Form2,
        RawKind::Mode2Form2, RawKind::Mode2Form2NoEdc, RawKind::Audio, RawKind::Mode0, RawKind::Mode1,
        RawKind::Audio, RawKind::Mode2Form2NoEdc};
    Bytes image = testsupport::RawImage(kinds);
    image[1 * kS + 500] ^= 1;   // Mode 1: data
    image[3 * kS + 2100] ^= 1;  // Form 1: P parity
    image[5 * kS + 2350] ^= 1;  // Form 2: EDC
    image[7 * kS + 12] ^= 1;    // audio and
    image[8 * kS + 900] ^= 1;   // "other" are never wrong
    image[11 * kS + 900] ^= 1;  // Form 2 without EDC: nothing to be wrong
    const Bytes before = image;

    const kdx::SectorScanner checked = ScanInPieces(image, false);
    EXPECT_EQ(checked.Verdict(), RawVerdict::Raw);
    const kdx::SectorTally& t = checked.Tally();
    EXPECT_EQ(t.sectors, 12u);
    EXPECT_EQ(t.mode1, 3u);
    EXPECT_EQ(t.mode2Form1, 2u);
    EXPECT_EQ(t.mode2Form2, 4u);
    EXPECT_EQ(t.other, 3u);
    EXPECT_EQ(t.wrong, 3u);
    EXPECT_EQ(t.wrongEdc, 2u);
    EXPECT_EQ(t.wrongEcc, 2u);
    EXPECT_EQ(std::vector<std::uint64_t>(t.firstWrong.begin(), t.firstWrong.begin() + t.listed),
              (std::vector<std::uint64_t>{1, 3, 5}));
    EXPECT_EQ(image, before) << "a check writes nothing";

    const kdx::SectorScanner fixer = ScanInPieces(image, true);
    EXPECT_EQ(fixer.Tally().wrong, 3u);
    EXPECT_EQ(fixer.Tally().fixed, 3u);
    EXPECT_EQ(ScanInPieces(image, false).Tally().wrong, 0u);
    for (std::size_t lba = 0; lba < kinds.size(); ++lba) {
        const bool repaired = lba == 1 || lba == 3 || lba == 5;
        EXPECT_EQ(std::equal(image.begin() + lba * kS, image.begin() + (lba + 1) * kS, before.begin() + lba * kS),
                  !repaired)
            << "LBA " << lba;
    }
}

TEST(SectorScanTest, ListsTheFirstTenWrongSectors)
{
    Bytes image = testsupport::RawImage(std::vector<RawKind>(14, RawKind::Mode1));
    for (std::size_t lba = 1; lba < 14; ++lba) image[lba * kS + 40] ^= 1;
    const kdx::SectorTally t = ScanInPieces(image, false).Tally();
    EXPECT_EQ(t.wrong, 13u);
    ASSERT_EQ(t.listed, 10u);
    EXPECT_EQ(t.firstWrong[0], 1u);
    EXPECT_EQ(t.firstWrong[9], 10u);
}

TEST(SectorScanTest, ImagesThatAreNotRaw)
{
    const Bytes raw = testsupport::RawImage({RawKind::Mode1, RawKind::Mode1});
    const Bytes truncated(raw.begin(), raw.end() - 1);
    const Bytes audioFirst = testsupport::RawImage({RawKind::Audio, RawKind::Mode1});
    const Bytes iso(2048 * 3, 0);
    const struct {
        const Bytes* image;
        RawVerdict verdict;
    } cases[] = {{&raw, RawVerdict::Raw}, {&truncated, RawVerdict::LengthNotMultiple},
                 {&audioFirst, RawVerdict::NoSync}, {&iso, RawVerdict::LengthNotMultiple}};
    for (const auto& c : cases) {
        Bytes copy = *c.image;
        EXPECT_EQ(ScanInPieces(copy, false).Verdict(), c.verdict) << copy.size();
        EXPECT_EQ(kdx::JudgeRawImage(copy.size(), copy), c.verdict) << copy.size();
    }
    EXPECT_EQ(kdx::SectorScanner().Verdict(), RawVerdict::Empty);
    EXPECT_EQ(kdx::JudgeRawImage(0, {}), RawVerdict::Empty);
    EXPECT_EQ(kdx::NotRawMessage(RawVerdict::NoSync),
              "Not a raw image of 2352-byte sectors (its first sector does not start with the sync pattern)");
    EXPECT_EQ(kdx::NotRawMessage(RawVerdict::Raw), "");
}

TEST(SectorBitmapTest, MarksTheSectorsThatRecordsTouch)
{
    kdx::SectorBitmap touched(200);
    touched.MarkBytes(2351, 2);             // the last byte of LBA 0 and the first of LBA 1
    touched.MarkBytes(64 * kS + 10, 255);   // inside LBA 64
    touched.MarkBytes(130 * kS, 0);         // nothing
    touched.MarkBytes(140 * kS + 2000, 352);  // up to the last byte of LBA 140
    touched.MarkBytes(199 * kS + 2000, 1000);  // past the end: LBA 199 only
    touched.MarkBytes(500 * kS, 10);        // wholly past the end
    std::vector<std::uint64_t> marked;
    for (std::uint64_t lba = touched.NextMarked(0); lba < touched.SectorCount(); lba = touched.NextMarked(lba + 1))
        marked.push_back(lba);
    EXPECT_EQ(marked, (std::vector<std::uint64_t>{0, 1, 64, 140, 199}));
    EXPECT_EQ(touched.MarkedCount(), 5u);
    touched.Unmark(64);
    EXPECT_FALSE(touched.IsMarked(64));
    EXPECT_EQ(touched.NextMarked(65), 140u);
}

}  // namespace
