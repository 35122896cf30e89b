// The one patch writer fed records directly: its bytes for every version
// against the test builder's, the records it adds of its own, and the
// places a version's offsets cannot reach.
#include "kdx/PatchWriter.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>

using namespace testsupport;

namespace {

constexpr std::int64_t k4GiB = std::int64_t{1} << 32;

TEST(PatchWriter, WritesEachVersionAsTheLayoutsSay)
{
    const Bytes block = Noise(1024, 3);
    struct Case {
        std::string name;
        kdx::PatchHeader header;
        std::vector<Rec> records;  // handed to the writer, their undo bytes as the originals
        std::optional<std::string> diz;
        PatchLayout expected;
        std::int64_t recordCount = 0;
        std::int64_t patchData = 0;
    };
    std::vector<Case> cases(6);
    cases[0].name = "v1";
    cases[0].header.version = 1;
    cases[0].header.description = "one";
    cases[0].records = {{k4GiB - 2, {1, 2}, {5, 6}}, {3, {4}, {7}}};
    cases[0].expected.version = 1;
    cases[0].expected.description = "one";
    cases[0].expected.records = {{k4GiB - 2, {1, 2}, {}}, {3, {4}, {}}};
    cases[0].recordCount = 2;
    cases[0].patchData = 7 + 6;

    cases[1].name = "v2 with a trailer";
    cases[1].header.version = 2;
    cases[1].header.imageSize = 0x01020304;
    cases[1].header.block = block.data();
    cases[1].records = {{9, {'D', 'I', 'Z', 0, 0, 0, 0}, {}}};
    cases[1].diz = "hello";
    cases[1].expected.version = 2;
    cases[1].expected.imageSize = 0x01020304;
    cases[1].expected.block = block;
    cases[1].expected.records = cases[1].records;
    cases[1].expected.diz = "hello";
    cases[1].recordCount = 1;
    cases[1].patchData = 12;

    cases[2].name = "v3 with every flag";
    cases[2].header.undo = cases[2].header.blockCheck = cases[2].header.giImage = true;
    cases[2].header.description = std::string(50, 'd');
    cases[2].header.block = block.data();
    cases[2].records = {{k4GiB, {1, 2}, {5, 6}}};
    cases[2].expected.version = 3;
    cases[2].expected.description = std::string(50, 'd');
    cases[2].expected.block = block;
    cases[2].expected.imageType = cases[2].expected.blockCheckFlag = cases[2].expected.undoFlag = 1;
    cases[2].expected.records = cases[2].records;
    cases[2].recordCount = 1;
    cases[2].patchData = 13;

    // Readers would take the last bytes for a trailer's mark, or find no
    // patch data: an empty record follows, unless a trailer does.
    cases[3].name = "v3 ending like a trailer";
    cases[3].records = {{0, {'D', 'I', 'Z', 1, 2}, {}}};
    cases[3].expected.version = 3;
    cases[3].expected.records = {{0, {'D', 'I', 'Z', 1, 2}, {}}, {0, {}, {}}};
    cases[3].recordCount = 2;
    cases[3].patchData = 14 + 9;

    cases[4].name = "v3 ending like a trailer, with one";
    cases[4].records = cases[3].records;
    cases[4].diz = "";
    cases[4].expected.version = 3;
    cases[4].expected.records = cases[3].records;
    cases[4].expected.diz = "";
    cases[4].recordCount = 1;
    cases[4].patchData = 14;

    cases[5].name = "v3 of no record";
    cases[5].expected.version = 3;
    cases[5].expected.records = {{0, {}, {}}};
    cases[5].recordCount = 1;
    cases[5].patchData = 9;

    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.File("p.kdx");
        kdx::PatchWriter writer(path, kdx::SystemFiles());
        ASSERT_TRUE(writer.Begin(c.header)) << c.name;
        for (const Rec& r : c.records)
            ASSERT_TRUE(writer.Record(r.offset, r.bytes.data(), r.undo.data(), static_cast<unsigned>(r.bytes.size())))
                << c.name;
        ASSERT_TRUE(writer.Finish(c.diz ? &*c.diz : nullptr)) << c.name;
        EXPECT_EQ(ReadFile(path), BuildPatch(c.expected)) << c.name;
        EXPECT_EQ(writer.Records(), c.recordCount) << c.name;
        EXPECT_EQ(writer.PatchDataLength(), c.patchData) << c.name;
        EXPECT_EQ(writer.Length(), static_cast<std::int64_t>(ReadFile(path).size())) << c.name;
    }
}

TEST(PatchWriter, RefusesPlacesItsVersionCannotReach)
{
    const struct {
        int version;
        std::int64_t offset;
        unsigned n;
        bool written;
        std::int64_t beyond;
    } cases[] = {
        {1, k4GiB - 2, 2, true, 0},          {1, k4GiB - 1, 2, false, k4GiB},
        {2, k4GiB - 1, 1, true, 0},          {2, k4GiB, 0, false, k4GiB},
        {3, k4GiB, 2, true, 0},              {3, -1, 1, false, -1},
        {3, INT64_MAX - 1, 1, true, 0},      {3, INT64_MAX - 1, 2, false, INT64_MAX},
    };
    TempDir dir;
    const std::uint8_t bytes[2] = {1, 2};
    const Bytes block(1024, 7);  // version 2.0 always carries one
    for (const auto& c : cases) {
        {
            kdx::PatchWriter writer(dir.File("p.kdx"), kdx::SystemFiles());
            kdx::PatchHeader header;
            header.version = c.version;
            header.block = block.data();
            ASSERT_TRUE(writer.Begin(header));
            EXPECT_EQ(writer.Record(c.offset, bytes, bytes, c.n), c.written) << c.version << " " << c.offset;
            EXPECT_EQ(writer.Failed(), c.written ? kdx::PatchWriter::Failure::None
                                                 : kdx::PatchWriter::Failure::BeyondReach);
            if (!c.written) {
                EXPECT_EQ(writer.Beyond(), c.beyond) << c.version << " " << c.offset;
            }
        }
        // Never finished: the temporary file goes with the writer.
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << c.version << " " << c.offset;
    }
}

}  // namespace
