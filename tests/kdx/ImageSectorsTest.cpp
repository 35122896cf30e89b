// The raw sectors of an image file: the whole-image scan across its pieces
// and the sectors a patch touches, checked and repaired.
#include "kdx/Image.h"
#include "kdx/ImageSectors.h"
#include "tests/support/RawSectors.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using testsupport::Bytes;
using testsupport::RawKind;

namespace {

constexpr std::size_t kS = 2352;

// Sectors of every kind in turn: Mode 1, Form 1, Form 2, audio.
Bytes Cycle(std::size_t sectors)
{
    std::vector<RawKind> kinds;
    const RawKind cycle[] = {RawKind::Mode1, RawKind::Mode2Form1, RawKind::Mode2Form2, RawKind::Audio};
    for (std::size_t lba = 0; lba < sectors; ++lba) kinds.push_back(cycle[lba % 4]);
    return testsupport::RawImage(kinds);
}

// The sectors of a one-file raw image.
kdx::SectorLayout LayOut(kdx::Image& image)
{
    kdx::SectorLayout layout;
    EXPECT_EQ(kdx::LayOutSectors(image, layout), kdx::RawVerdict::Raw);
    return layout;
}

class Steps final : public kdx::Observer {
public:
    void Step(std::int64_t done, std::int64_t) override
    {
        steps.push_back(done);
        if (static_cast<int>(steps.size()) == throwAt) throw std::runtime_error("stop");
    }
    std::vector<std::int64_t> steps;
    int throwAt = 0;
};

// Five of the whole-image check's 1 MiB pieces, more than its three buffers
// hold, with wrong sectors on both sides of each piece boundary (LBAs 448,
// 896, 1344, 1792) and in the last, short piece: checked alone and with
// fix, the counts and the LBAs found are the same, one step a piece.
TEST(ImageSectorsTest, WholeImageScanFindsTheSameSectorsAcrossPieces)
{
    Bytes image = Cycle(2000);
    const std::vector<std::uint64_t> spoilt = {5, 446, 448, 894, 896, 1342, 1344, 1790, 1792, 1998};
    for (const std::uint64_t lba : spoilt) image[lba * kS + 1000] ^= 0x40;

    testsupport::TempDir dir;
    const std::string path = dir.File("raw.bin");
    testsupport::WriteFile(path, image);
    for (const bool fix : {false, true}) {
        kdx::Image file;
        ASSERT_TRUE(file.Open(path, fix).ok());
        Steps steps;
        const kdx::ImageScan scan = kdx::ScanImage(file, LayOut(file), fix, steps);
        ASSERT_TRUE(scan.ok) << fix;
        EXPECT_EQ(scan.tally.sectors, 2000u);
        EXPECT_EQ(scan.tally.mode1, 500u);
        EXPECT_EQ(scan.tally.other, 500u);
        EXPECT_EQ(scan.tally.wrong, 10u) << fix;
        EXPECT_EQ(std::vector<std::uint64_t>(scan.tally.firstWrong.begin(), scan.tally.firstWrong.end()), spoilt);
        EXPECT_EQ(scan.tally.fixed, fix ? 10u : 0u);
        EXPECT_EQ(steps.steps, (std::vector<std::int64_t>{448 * kS, 896 * kS, 1344 * kS, 1792 * kS, 2000 * kS}));
    }
    kdx::Image fixed;
    ASSERT_TRUE(fixed.Open(path, false).ok());
    kdx::NoObserver quiet;
    EXPECT_EQ(kdx::ScanImage(fixed, LayOut(fixed), false, quiet).tally.wrong, 0u);
}

// An observer that throws ends the scan at once, its helper thread with it:
// the pieces fixed before stay fixed, the others as they were.
TEST(ImageSectorsTest, AThrowingObserverEndsTheScan)
{
    Bytes image = Cycle(2000);
    for (const std::uint64_t lba : {5, 446, 448, 894, 896, 1342, 1998}) image[lba * kS + 1000] ^= 0x40;
    testsupport::TempDir dir;
    const std::string path = dir.File("raw.bin");
    testsupport::WriteFile(path, image);
    {
        kdx::Image file;
        ASSERT_TRUE(file.Open(path, true).ok());
        Steps steps;
        steps.throwAt = 2;
        EXPECT_THROW(kdx::ScanImage(file, LayOut(file), true, steps), std::runtime_error);
    }
    kdx::Image file;
    ASSERT_TRUE(file.Open(path, false).ok());
    kdx::NoObserver quiet;
    const kdx::SectorTally after = kdx::ScanImage(file, LayOut(file), false, quiet).tally;
    EXPECT_EQ(std::vector<std::uint64_t>(after.firstWrong.begin(), after.firstWrong.begin() + after.listed),
              (std::vector<std::uint64_t>{896, 1342, 1998}));
}

// The sectors a patch touches, in runs longer than one read (448 sectors):
// marked 2..999, read as 2..449, 450..897 and 898..999. Wrong sectors on
// both sides of each seam and at both ends are found and repaired; a wrong
// sector outside the marks is neither counted nor touched.
TEST(ImageSectorsTest, TouchedSectorsInRunsLongerThanOneRead)
{
    Bytes mixed = Cycle(1000);
    for (const std::uint64_t lba : {1, 2, 449, 450, 897, 898, 997}) mixed[lba * kS + 1000] ^= 0x40;
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("mixed.bin"), mixed);
    kdx::Image file;
    ASSERT_TRUE(file.Open(dir.File("mixed.bin"), false).ok());
    const kdx::SectorLayout layout = LayOut(file);
    kdx::SectorBitmap touched(1000);
    layout.MarkBytes(touched, 2 * kS + 100, 997 * kS);
    ASSERT_EQ(touched.MarkedCount(), 998u);

    kdx::MarkedCheck c = kdx::CheckMarkedSectors(file, layout, touched, false);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.right, 742u);
    EXPECT_EQ(c.wrong, 6u);
    EXPECT_EQ(c.other, 250u);
    EXPECT_EQ(touched.MarkedCount(), 998u);
    c = kdx::CheckMarkedSectors(file, layout, touched, true);
    EXPECT_EQ(c.wrong, 6u);
    EXPECT_EQ(touched.MarkedCount(), 742u);
    std::vector<std::uint64_t> unmarked;
    for (std::uint64_t lba = 0; lba < 1000; ++lba)
        if (!touched.IsMarked(lba) && lba % 4 != 3) unmarked.push_back(lba);
    EXPECT_EQ(unmarked, (std::vector<std::uint64_t>{0, 1, 2, 449, 450, 897, 898, 997}));

    Bytes mode1 = testsupport::RawImage(std::vector<RawKind>(1000, RawKind::Mode1));
    const Bytes right = mode1;
    // Their EDC (bytes 2064-2067) or P parity (from 2076) spoilt: a repair gives the sector back whole.
    for (const std::uint64_t lba : {1, 2, 449, 450, 897, 898, 999}) mode1[lba * kS + (lba % 2 == 0 ? 2065 : 2100)] ^= 0x40;
    testsupport::WriteFile(dir.File("mode1.bin"), mode1);
    ASSERT_TRUE(file.Open(dir.File("mode1.bin"), true).ok());
    kdx::SectorBitmap all(1000);
    layout.MarkBytes(all, 2 * kS, 998 * kS);
    const kdx::MarkedRepair repair = kdx::RepairMarkedSectors(file, LayOut(file), all);
    ASSERT_TRUE(repair.ok);
    EXPECT_EQ(repair.updated, 6u);
    ASSERT_TRUE(file.Close());
    const Bytes after = testsupport::ReadFile(dir.File("mode1.bin"));
    for (std::size_t lba = 0; lba < 1000; ++lba) {
        const Bytes& expected = lba == 1 ? mode1 : right;
        EXPECT_TRUE(std::equal(after.begin() + lba * kS, after.begin() + (lba + 1) * kS, expected.begin() + lba * kS))
            << "LBA " << lba;
    }
}

}  // namespace
