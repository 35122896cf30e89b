// Records that lie back to back are written with merged writes instead of a
// map: the same bytes, the same order, and the space still reserved before
// the first write.
#include "commands/Messages.h"
#include "kdx/Apply.h"
#include "kdx/Walk.h"
#include "tests/kdx/KdxTest.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/resource.h>

using namespace testsupport;

namespace {

class BackToBackWrites : public ::testing::TestWithParam<int> {
protected:
    // Applies the records to an image of those bytes; the image afterwards and the boxes shown.
    std::pair<Bytes, std::vector<std::string>> Apply(const std::vector<Rec>& records, const Bytes& image)
    {
        PatchLayout layout;
        layout.version = GetParam();
        layout.records = records;
        WriteFile(dir.File("p.kdx"), BuildPatch(layout));
        WriteFile(dir.File("i.bin"), image);
        kdx::File patch;
        kdx::Image img;
        EXPECT_TRUE(kdx::OpenReadOnly(patch, dir.File("p.kdx")));
        EXPECT_TRUE(img.Open(dir.File("i.bin"), true).ok());
        const kdx::Patch loaded = kdxtest::Read(patch, dir.File("p.kdx"));
        walk = kdx::WalkRecords(patch, loaded.Records(false));
        kdxtest::Steps steps;
        const kdx::ApplyResult r = kdx::ApplyPatch(loaded, patch, img, loaded.Writes(false), steps);
        EXPECT_TRUE(img.Close());
        return {ReadFile(dir.File("i.bin")), kdxtest::Boxes(r)};
    }

    TempDir dir;
    kdx::WalkResult walk;
};

std::string VersionName(const ::testing::TestParamInfo<int>& info)
{
    std::string name = "V0";
    name[1] = static_cast<char>('0' + info.param);
    return name;
}

INSTANTIATE_TEST_SUITE_P(Versions, BackToBackWrites, ::testing::Values(1, 2, 3), VersionName);

TEST_P(BackToBackWrites, LongRunsWithOverlapsMatchAReferenceLoop)
{
    std::mt19937 rng(7u + static_cast<unsigned>(GetParam()));
    for (int round = 0; round < 10; ++round) {
        const std::size_t size = 20000 + rng() % 20000;
        const Bytes image = Noise(size, static_cast<std::uint32_t>(round));
        Bytes expected = image;
        std::vector<Rec> records;
        std::int64_t at = rng() % 1000;
        // Runs of full records, now and then a short record that rewrites
        // bytes a run has just written, and a few that grow the image.
        for (int i = 0; i < 150; ++i) {
            const std::uint32_t jump = rng() % 80;
            std::int64_t offset = at;
            if (jump == 0) offset = static_cast<std::int64_t>(rng() % (size + 3000));
            if (jump == 1) offset = std::max<std::int64_t>(0, at - 300);
            const Bytes bytes = Noise(jump == 1 ? 40 : 255, rng());
            records.push_back({offset, bytes, {}});
            if (expected.size() < offset + bytes.size()) expected.resize(offset + bytes.size(), 0);
            std::copy(bytes.begin(), bytes.end(), expected.begin() + offset);
            at = offset + static_cast<std::int64_t>(bytes.size());
        }
        const auto [out, boxes] = Apply(records, image);
        ASSERT_TRUE(walk.BackToBack()) << "round " << round;
        EXPECT_TRUE(boxes.empty());
        ASSERT_EQ(out, expected) << "round " << round;
    }
}

TEST_P(BackToBackWrites, ScatteredRecordsAreNotBackToBack)
{
    std::vector<Rec> records;
    for (int i = 0; i < 64; ++i) records.push_back({i * 997, Noise(8, static_cast<std::uint32_t>(i)), {}});
    records.push_back({0, {}, {}});  // an empty record neither writes nor starts a run
    Apply(records, Bytes(70000, 1));
    EXPECT_EQ(walk.bytes, 64 * 8);
    EXPECT_EQ(walk.runs, 64);
    EXPECT_FALSE(walk.BackToBack());
}

TEST_P(BackToBackWrites, AFullDiskIsFoundBeforeTheFirstWrite)
{
    // The file size limit stands in for a full disk: the run ends past it.
    std::vector<Rec> records;
    for (std::int64_t at = 40000; at < 70000; at += 255) records.push_back({at, Bytes(255, 0xEE), {}});
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 65536;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto [out, boxes] = Apply(records, Bytes(5000, 3));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    ASSERT_TRUE(walk.BackToBack());
    EXPECT_EQ(boxes, std::vector<std::string>{commands::text::CantWriteImage("File too large")});
    EXPECT_EQ(out, Bytes(5000, 3));  // not one byte written
}

}  // namespace
