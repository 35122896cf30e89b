// Writing records into an image: the same cases for every version, the
// checks made before the first write, and failed writes.
#include "commands/Messages.h"
#include "tests/kdx/KdxTest.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

using namespace testsupport;
using kdxtest::Boxes;
using kdxtest::Read;
using kdxtest::Steps;
namespace text = commands::text;

namespace {

struct Outcome {
    bool ok;
    Bytes image;
    std::vector<std::string> boxes;
    int pumps;
};

class ApplyRecords : public ::testing::TestWithParam<int> {
protected:
    PatchLayout Layout(std::vector<Rec> records) const
    {
        PatchLayout layout;
        layout.version = GetParam();
        layout.records = std::move(records);
        return layout;
    }

    Outcome Apply(const PatchLayout& layout, const Bytes& image, bool undo = false, bool sparse = false,
                  kdx::FileSystem& files = kdx::SystemFiles())
    {
        const std::string patchPath = dir.File("p.kdx");
        const std::string imagePath = dir.File("image.bin");
        WriteFile(patchPath, BuildPatch(layout));
        WriteFile(imagePath, sparse ? Bytes{} : image);
        if (sparse) {
            EXPECT_EQ(truncate(imagePath.c_str(), static_cast<off_t>(image.size())), 0);
        }
        kdx::File patch;
        kdx::Image img(files);
        EXPECT_TRUE(kdx::OpenReadOnly(patch, patchPath));
        EXPECT_TRUE(img.Open(imagePath, true).ok());
        const kdx::Patch loaded = Read(patch, patchPath);
        Steps steps;
        const kdx::ApplyResult r = kdx::ApplyPatch(loaded, patch, img, loaded.Writes(undo), steps);
        EXPECT_TRUE(img.Close());
        return {r.Written(), ReadFile(imagePath), Boxes(r), steps.steps};
    }

    TempDir dir;
};

INSTANTIATE_TEST_SUITE_P(Versions, ApplyRecords, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return std::string(1, static_cast<char>('V')) + static_cast<char>('0' + info.param); });

TEST_P(ApplyRecords, WritesRecordsInFileOrderLaterWins)
{
    const Outcome out = Apply(Layout({{16, {0x41, 0x42, 0x43}, {}}, {2, {}, {}}, {17, {0x58, 0x59}, {}}}), Bytes(32, 0));
    ASSERT_TRUE(out.ok);
    Bytes expected(32, 0);
    expected[16] = 0x41;
    expected[17] = 0x58;
    expected[18] = 0x59;
    EXPECT_EQ(out.image, expected);
    EXPECT_EQ(out.pumps, 3);  // once per record, the empty one included
    EXPECT_TRUE(out.boxes.empty());
}

TEST_P(ApplyRecords, RecordsPastTheEndGrowTheImage)
{
    const Outcome out = Apply(Layout({{10, {1, 2}, {}}}), Bytes(4, 9));
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.image, (Bytes{9, 9, 9, 9, 0, 0, 0, 0, 0, 0, 1, 2}));
}

// The undo tick takes the undo bytes only of a patch that carries them; else
// the patched bytes go in. Either way the records are read as laid out.
TEST_P(ApplyRecords, UndoBytesOnlyWhenAskedAndCarried)
{
    struct Case {
        std::uint8_t undoFlag;
        bool asked;
        kdx::Write which;
        Bytes image;
    };
    std::vector<Case> cases = {{0, false, kdx::Write::Patched, {0, 7, 8, 0, 9}},
                               {0, true, kdx::Write::Patched, {0, 7, 8, 0, 9}}};
    if (GetParam() == 3) {
        cases.push_back({1, false, kdx::Write::Patched, {0, 7, 8, 0, 9}});
        cases.push_back({1, true, kdx::Write::Undo, {0, 1, 2, 0, 3}});
    }
    for (const Case& c : cases) {
        PatchLayout layout = Layout({{1, {7, 8}, {1, 2}}, {4, {9}, {3}}});
        layout.undoFlag = c.undoFlag;
        const Outcome out = Apply(layout, Bytes(5, 0), c.asked);
        EXPECT_TRUE(out.ok);
        EXPECT_EQ(out.image, c.image) << int{c.undoFlag} << c.asked;
        const kdx::ReadResult read = kdx::ReadPatch(dir.File("p.kdx"), kdx::SystemFiles());
        EXPECT_EQ(read.patch.Writes(c.asked).which, c.which) << int{c.undoFlag} << c.asked;
    }
}

TEST_P(ApplyRecords, NoPatchDataWritesNothing)
{
    const Outcome out = Apply(Layout({}), Bytes(8, 7));
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.boxes, std::vector<std::string>{text::kNoPatchData});
    EXPECT_EQ(out.image, Bytes(8, 7));
}

TEST_P(ApplyRecords, ARecordCutShortWritesNothing)
{
    PatchLayout layout = Layout({{0, {1, 1, 1}, {}}, {4, {2, 2, 2, 2}, {}}});
    const std::string patchPath = dir.File("cut.kdx");
    Bytes patch = BuildPatch(layout);
    patch.pop_back();
    layout.records.clear();
    // Load the cut file itself: its last record now runs past the record area.
    WriteFile(patchPath, patch);
    kdx::File p;
    kdx::Image img;
    WriteFile(dir.File("img"), Bytes(16, 0));
    ASSERT_TRUE(kdx::OpenReadOnly(p, patchPath));
    ASSERT_TRUE(img.Open(dir.File("img"), true).ok());
    Steps steps;
    const kdx::Patch loaded = Read(p, patchPath);
    const kdx::ApplyResult r = kdx::ApplyPatch(loaded, p, img, loaded.Writes(false), steps);
    EXPECT_EQ(r.status, kdx::ApplyStatus::Damaged);
    EXPECT_EQ(r.record, 2);
    EXPECT_EQ(Boxes(r), std::vector<std::string>{text::kDamagedRecords});
    EXPECT_EQ(steps.steps, 0);
    img.Close();
    EXPECT_EQ(ReadFile(dir.File("img")), Bytes(16, 0));
}

TEST_P(ApplyRecords, MatchesAReferenceLoopMappedOrNot)
{
    std::mt19937 rng(20261208u + static_cast<unsigned>(GetParam()));
    for (int round = 0; round < 20; ++round) {
        const std::size_t imageSize = 1 + rng() % 5000;
        const Bytes image = Noise(imageSize, static_cast<std::uint32_t>(round));
        std::vector<Rec> records;
        Bytes expected = image;
        const int count = static_cast<int>(rng() % 200);
        std::int64_t next = rng() % imageSize;
        for (int i = 0; i < count; ++i) {
            // Back-to-back runs, overlaps and jumps, some past the image's end.
            const std::int64_t offset = rng() % 3 == 0 ? next : static_cast<std::int64_t>(rng() % (imageSize + 600));
            const Bytes bytes = Noise(rng() % 256, rng());
            records.push_back({offset, bytes, {}});
            if (expected.size() < offset + bytes.size() && !bytes.empty()) expected.resize(offset + bytes.size(), 0);
            std::copy(bytes.begin(), bytes.end(), expected.begin() + offset);
            next = offset + static_cast<std::int64_t>(bytes.size());
        }
        if (records.empty()) continue;
        const Outcome out = Apply(Layout(records), image);
        ASSERT_TRUE(out.ok);
        ASSERT_EQ(out.image, expected) << "round " << round;
        // A sparse image (all zeros) is written without a map.
        Bytes zeros(imageSize, 0);
        Bytes expectedFromZeros = zeros;
        for (const Rec& r : records) {
            if (r.bytes.empty()) continue;
            if (expectedFromZeros.size() < r.offset + r.bytes.size())
                expectedFromZeros.resize(r.offset + r.bytes.size(), 0);
            std::copy(r.bytes.begin(), r.bytes.end(), expectedFromZeros.begin() + r.offset);
        }
        const Outcome sparseOut = Apply(Layout(records), zeros, false, true);
        ASSERT_TRUE(sparseOut.ok);
        ASSERT_EQ(sparseOut.image, expectedFromZeros) << "sparse round " << round;
    }
}

TEST_P(ApplyRecords, RecordAreasLargerThanTheReadBufferAreReadWhole)
{
    // Over a MiB of records: they straddle every refill of the reader's buffer.
    std::vector<Rec> records;
    Bytes expected(60000, 0);
    for (int i = 0; i < 4800; ++i) {
        const std::int64_t offset = (i * 7919) % 59000;
        const Bytes bytes = Noise(static_cast<std::size_t>(200 + i % 56), static_cast<std::uint32_t>(i));
        records.push_back({offset, bytes, {}});
        std::copy(bytes.begin(), bytes.end(), expected.begin() + offset);
    }
    const Outcome out = Apply(Layout(records), Bytes(60000, 0));
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.pumps, 4800);
    EXPECT_EQ(out.image, expected);
}

TEST_P(ApplyRecords, AFailedWriteIsReportedAndLeavesTheImageAsItWas)
{
    // The file size limit stops the image from growing past 64 KiB: mapped,
    // sparse (written without a map), and grown too far to be mapped.
    const struct {
        bool sparse;
        std::int64_t farOffset;
    } cases[] = {{false, 70000}, {true, 70000}, {false, std::int64_t{100} << 20}};
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 65536;
    for (const auto& c : cases) {
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Outcome out = Apply(Layout({{10, {1}, {}}, {c.farOffset, {1, 2, 3}, {}}}), Bytes(100, 5), false, c.sparse);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.boxes, std::vector<std::string>{text::CantWriteImage("File too large")});
        EXPECT_EQ(out.image, c.sparse ? Bytes(100, 0) : Bytes(100, 5)) << c.farOffset;
        EXPECT_EQ(out.pumps, 0);
    }
}

TEST_P(ApplyRecords, EachFailingFileCallIsAFailureAndTheLengthGoesBack)
{
    // Written through a map (scattered), through writes (back to back), and
    // sparse (space reserved record by record); each with a record past the end.
    const std::vector<Rec> scattered = {{10, {1}, {}}, {150, {1, 2, 3}, {}}};
    std::vector<Rec> backToBack;
    for (std::int64_t at = 0; at < 8192; at += 128) backToBack.push_back({at, Bytes(128, 1), {}});
    Bytes patched(153, 0);  // grown: the gap reads as zeros
    std::fill_n(patched.begin(), 100, 5);
    patched[10] = 1;
    patched[150] = 1;
    patched[151] = 2;
    patched[152] = 3;
    const std::string eio = text::CantWriteImage("Input/output error");
    const struct {
        const char* name;
        std::vector<Rec> records;
        bool sparse;
        FileOp op;
        int error;
        std::vector<std::string> boxes;
        std::size_t length;  // of the image afterwards
    } cases[] = {
        {"mapped, msync", scattered, false, FileOp::FlushMap, EIO, {eio}, 100},
        {"mapped, unmap", scattered, false, FileOp::Unmap, EIO, {eio}, 100},
        {"mapped, sync", scattered, false, FileOp::Sync, EIO, {eio}, 100},
        {"mapped, no space", scattered, false, FileOp::Reserve, ENOSPC,
         {text::CantWriteImage("No space left on device")}, 100},
        {"writes", backToBack, false, FileOp::Write, EIO, {eio}, 100},
        {"writes, sync", backToBack, false, FileOp::Sync, EIO, {eio}, 100},
        {"sparse", scattered, true, FileOp::Write, EIO, {eio}, 100},
        {"sparse, sync", scattered, true, FileOp::Sync, EIO, {eio}, 100},
        {"sparse, too large", scattered, true, FileOp::SetLength, EFBIG, {text::CantWriteImage("File too large")}, 100},
        // A map the system refuses costs only speed: the records go through writes.
        {"no map", scattered, false, FileOp::Map, ENOMEM, {}, 153},
    };
    for (const auto& c : cases) {
        FaultyFiles files;
        files.Fail(c.op, Named(dir.File("image.bin")), c.error, 0);
        const Outcome out = Apply(Layout(c.records), Bytes(100, 5), false, c.sparse, files);
        EXPECT_EQ(out.ok, c.boxes.empty()) << c.name;
        EXPECT_EQ(out.boxes, c.boxes) << c.name;
        EXPECT_EQ(out.image.size(), c.length) << c.name;
        if (out.ok) {
            EXPECT_EQ(out.image, patched) << c.name;
        }
        EXPECT_GT(files.Calls(c.op, AnyFile()), 0) << c.name;
    }
}

TEST(ApplyRecordsV3, OffsetsNoFileCanReachAreOutsideAndWriteNothing)
{
    // offset + n would pass the largest position a file can have (tmpfs
    // grants every position below it, so only the walk can refuse it).
    TempDir dir;
    PatchLayout layout;
    layout.version = 3;
    layout.records = {{0, {9}, {}}, {INT64_MAX - 1, {1, 2, 3}, {}}};
    WriteFile(dir.File("p"), BuildPatch(layout));
    WriteFile(dir.File("i"), Bytes(4, 0));
    kdx::File p;
    kdx::Image img;
    ASSERT_TRUE(kdx::OpenReadOnly(p, dir.File("p")));
    ASSERT_TRUE(img.Open(dir.File("i"), true).ok());
    Steps steps;
    const kdx::Patch loaded = Read(p, "p");
    const kdx::ApplyResult r = kdx::ApplyPatch(loaded, p, img, loaded.Writes(false), steps);
    EXPECT_EQ(r.status, kdx::ApplyStatus::OutsideImage);
    EXPECT_EQ(r.record, 2);
    EXPECT_EQ(Boxes(r), std::vector<std::string>{text::kOutsideImage});
    img.Close();
    EXPECT_EQ(ReadFile(dir.File("i")), Bytes(4, 0));
}

TEST(ApplyRecordsV1, OffsetsWithTheTopBitSetArePositionsPast2GiB)
{
    TempDir dir;
    PatchLayout layout;
    layout.records = {{0x80000000ll, {0xAB}, {}}};
    WriteFile(dir.File("p"), BuildPatch(layout));
    WriteFile(dir.File("i"), Bytes(4, 0));
    kdx::File p;
    kdx::Image img;
    ASSERT_TRUE(kdx::OpenReadOnly(p, dir.File("p")));
    ASSERT_TRUE(img.Open(dir.File("i"), true).ok());
    Steps steps;
    const kdx::Patch loaded = Read(p, "p");
    ASSERT_TRUE(kdx::ApplyPatch(loaded, p, img, loaded.Writes(false), steps).Written());
    EXPECT_EQ(img.Length(), 0x80000001ll);
    std::uint8_t b = 0;
    EXPECT_EQ(img.ReadAt(0x80000000ll, &b, 1), 1);
    EXPECT_EQ(b, 0xAB);
}

}  // namespace
