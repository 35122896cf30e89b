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

}  // namespace
