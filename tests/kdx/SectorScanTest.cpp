// The whole-image scan of a raw image: the kinds it counts, the wrong
// sectors it finds and repairs, and the images it refuses as not raw.
#include "kdx/Image.h"
#include "kdx/ImageSectors.h"
#include "kdx/SectorBitmap.h"
#include "kdx/SectorScan.h"
#include "tests/support/RawSectors.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <vector>

using kdx::RawVerdict;
using testsupport::Bytes;
using testsupport::RawKind;

namespace {

constexpr std::size_t kS = 2352;

struct Scanned {
    RawVerdict verdict = RawVerdict::Raw;
    kdx::SectorTally tally;
};

// Scans image, written to a file, checking or fixing it in place when it is
// raw; the image is the file's bytes afterwards.
Scanned Scan(Bytes& image, bool fix)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("image.bin");
    testsupport::WriteFile(path, image);
    Scanned scanned;
    {
        kdx::Image file;
        EXPECT_TRUE(file.Open(path, fix).ok());
        kdx::SectorLayout layout;
        scanned.verdict = kdx::LayOutSectors(file, layout);
        kdx::NoObserver quiet;
        if (scanned.verdict == RawVerdict::Raw) {
            const kdx::ImageScan scan = kdx::ScanImage(file, layout, fix, quiet);
            EXPECT_TRUE(scan.ok);
            scanned.tally = scan.tally;
        }
    }
    image = testsupport::ReadFile(path);
    return scanned;
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

    const Scanned checked = Scan(image, false);
    EXPECT_EQ(checked.verdict, RawVerdict::Raw);
    const kdx::SectorTally& t = checked.tally;
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

    EXPECT_EQ(t.fixed, 0u);

    const Scanned fixer = Scan(image, true);
    EXPECT_EQ(fixer.tally.wrong, 3u);
    EXPECT_EQ(fixer.tally.fixed, 3u);
    EXPECT_EQ(Scan(image, false).tally.wrong, 0u);
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
    const kdx::SectorTally t = Scan(image, false).tally;
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
        std::uint64_t scanned;
    } cases[] = {{&raw, RawVerdict::Raw, 2}, {&truncated, RawVerdict::LengthNotMultiple, 0},
                 {&audioFirst, RawVerdict::NoSync, 0}, {&iso, RawVerdict::LengthNotMultiple, 0}};
    for (const auto& c : cases) {
        // With fix: an image that is not raw is not touched either.
        Bytes copy = *c.image;
        const Scanned scan = Scan(copy, true);
        EXPECT_EQ(scan.verdict, c.verdict) << copy.size();
        EXPECT_EQ(scan.tally.sectors, c.scanned) << copy.size();
        EXPECT_EQ(copy, *c.image);
        EXPECT_EQ(kdx::JudgeRawImage(copy.size(), copy), c.verdict) << copy.size();
    }
    Bytes empty;
    EXPECT_EQ(Scan(empty, false).verdict, RawVerdict::Empty);
    EXPECT_EQ(kdx::JudgeRawImage(0, {}), RawVerdict::Empty);
    EXPECT_EQ(kdx::NotRawMessage(RawVerdict::NoSync),
              "Not a raw image of 2352-byte sectors (its first sector does not start with the sync pattern)");
    EXPECT_EQ(kdx::NotRawMessage(RawVerdict::Raw), "");
}

TEST(SectorBitmapTest, MarksTheSectorsThatRecordsTouch)
{
    kdx::SectorLayout layout;
    layout.tracks.push_back({});
    layout.tracks[0].sectors = layout.sectors = 200;
    kdx::SectorBitmap touched(200);
    layout.MarkBytes(touched, 2351, 2);             // the last byte of LBA 0 and the first of LBA 1
    layout.MarkBytes(touched, 64 * kS + 10, 255);   // inside LBA 64
    layout.MarkBytes(touched, 130 * kS, 0);         // nothing
    layout.MarkBytes(touched, 140 * kS + 2000, 352);  // up to the last byte of LBA 140
    layout.MarkBytes(touched, 199 * kS + 2000, 1000);  // past the end: LBA 199 only
    layout.MarkBytes(touched, 500 * kS, 10);        // wholly past the end
    layout.MarkBytes(touched, -10, 20);             // before the start: nothing
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
