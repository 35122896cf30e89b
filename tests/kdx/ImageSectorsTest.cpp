#include "kdx/File.h"
#include "kdx/ImageSectors.h"
#include "tests/support/RawSectors.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::Bytes;
using testsupport::RawKind;

namespace {

constexpr std::size_t kS = 2352;

// More than two of the whole-image check's 1 MiB pieces, with wrong sectors
// on both sides of each piece boundary (LBAs 448 and 896) and in the last,
// short piece: checked alone (two threads, the next piece read meanwhile)
// and with fix (one pass), the counts and the LBAs found are the same.
TEST(ImageSectorsTest, WholeImageScanFindsTheSameSectorsAcrossPieces)
{
    std::vector<RawKind> kinds;
    const RawKind cycle[] = {RawKind::Mode1, RawKind::Mode2Form1, RawKind::Mode2Form2, RawKind::Audio};
    for (std::size_t lba = 0; lba < 1000; ++lba) kinds.push_back(cycle[lba % 4]);
    Bytes image = testsupport::RawImage(kinds);
    const std::vector<std::uint64_t> spoilt = {5, 446, 448, 894, 896, 998};
    for (const std::uint64_t lba : spoilt) image[lba * kS + 1000] ^= 0x40;

    testsupport::TempDir dir;
    const std::string path = dir.File("raw.bin");
    testsupport::WriteFile(path, image);
    for (const bool fix : {false, true}) {
        kdx::File file;
        ASSERT_TRUE(fix ? kdx::OpenReadWrite(file, path) : kdx::OpenReadOnly(file, path));
        kdx::NoObserver quiet;
        const kdx::ImageScan scan = kdx::ScanImage(file, fix, quiet);
        ASSERT_TRUE(scan.ok) << fix;
        EXPECT_EQ(scan.tally.sectors, 1000u);
        EXPECT_EQ(scan.tally.mode1, 250u);
        EXPECT_EQ(scan.tally.other, 250u);
        EXPECT_EQ(scan.tally.wrong, 6u) << fix;
        EXPECT_EQ(std::vector<std::uint64_t>(scan.tally.firstWrong.begin(), scan.tally.firstWrong.begin() + 6), spoilt);
        EXPECT_EQ(scan.tally.fixed, fix ? 6u : 0u);
    }
    kdx::File fixed;
    ASSERT_TRUE(kdx::OpenReadOnly(fixed, path));
    kdx::NoObserver quiet;
    EXPECT_EQ(kdx::ScanImage(fixed, false, quiet).tally.wrong, 0u);
}

// The sectors a patch touches, in runs longer than one read (448 sectors):
// marked 2..999, read as 2..449, 450..897 and 898..999. Wrong sectors on
// both sides of each seam and at both ends are found and repaired; a wrong
// sector outside the marks is neither counted nor touched.
TEST(ImageSectorsTest, TouchedSectorsInRunsLongerThanOneRead)
{
    std::vector<RawKind> kinds;
    const RawKind cycle[] = {RawKind::Mode1, RawKind::Mode2Form1, RawKind::Mode2Form2, RawKind::Audio};
    for (std::size_t lba = 0; lba < 1000; ++lba) kinds.push_back(cycle[lba % 4]);
    Bytes mixed = testsupport::RawImage(kinds);
    for (const std::uint64_t lba : {1, 2, 449, 450, 897, 898, 997}) mixed[lba * kS + 1000] ^= 0x40;
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("mixed.bin"), mixed);
    kdx::File file;
    ASSERT_TRUE(kdx::OpenReadOnly(file, dir.File("mixed.bin")));
    kdx::SectorBitmap touched(1000);
    touched.MarkBytes(2 * kS + 100, 997 * kS);
    ASSERT_EQ(touched.MarkedCount(), 998u);

    kdx::MarkedCheck c = kdx::CheckMarkedSectors(file, touched, false);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.right, 742u);
    EXPECT_EQ(c.wrong, 6u);
    EXPECT_EQ(c.other, 250u);
    EXPECT_EQ(touched.MarkedCount(), 998u);
    c = kdx::CheckMarkedSectors(file, touched, true);
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
    ASSERT_TRUE(kdx::OpenReadWrite(file, dir.File("mode1.bin")));
    kdx::SectorBitmap all(1000);
    all.MarkBytes(2 * kS, 998 * kS);
    const kdx::MarkedRepair repair = kdx::RepairMarkedSectors(file, all);
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
