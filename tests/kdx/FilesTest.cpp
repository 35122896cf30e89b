// uStd: opening with no sharing, the magic and the method byte.
#include "kdx/File.h"
#include "kdx/Patch.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

TEST(Files, OpenRefusesWhatIsHeldOpenAndDirectoriesAndSaysWhy)
{
    using kdx::OpenFailure;
    TempDir dir;
    const std::string path = dir.File("a.kdx");
    WriteFile(path, Text("KDX"));

    kdx::File first;
    ASSERT_TRUE(kdx::OpenReadOnly(first, path));
    kdx::File second;
    EXPECT_FALSE(kdx::OpenReadOnly(second, path));
    EXPECT_EQ(kdx::OpenFailureOf(second.LastError()), OpenFailure::InUse);
    EXPECT_FALSE(kdx::OpenReadWrite(second, path));
    EXPECT_EQ(kdx::OpenFailureOf(second.LastError()), OpenFailure::InUse);
    EXPECT_EQ(second.Native(), kdx::File::kInvalid);
    first.Close();
    EXPECT_TRUE(kdx::OpenReadWrite(second, path));

    // Read-only and for writing alike: what the user sees does not depend on how the file was wanted.
    const struct {
        std::string path;
        OpenFailure why;
    } cases[] = {
        {dir.Path().string(), OpenFailure::Folder},
        {dir.File("missing"), OpenFailure::Missing},
        {dir.File("no folder") + "/missing", OpenFailure::Missing},
    };
    for (const auto& c : cases) {
        for (const bool writable : {false, true}) {
            kdx::File h;
            EXPECT_FALSE(h.Open(c.path, writable));
            EXPECT_EQ(kdx::OpenFailureOf(h.LastError()), c.why) << c.path << " " << writable;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));  // never created
}

TEST(Files, MagicIsUpperCaseKdxAndNeedsThreeBytes)
{
    TempDir dir;
    const struct {
        std::string content;
        bool magic;
    } cases[] = {{"KDX", true}, {"KDX10\x02rest", true}, {"kdx10", false}, {"KDx", false},
                 {"KDY", false}, {"", false}, {"K", false}, {"KD", false}};
    for (const auto& c : cases) {
        const std::string path = dir.File("p");
        WriteFile(path, Text(c.content));
        kdx::File h;
        ASSERT_TRUE(kdx::OpenReadOnly(h, path));
        EXPECT_EQ(kdx::CheckMagic(h), c.magic) << c.content;
    }
}

TEST(Files, MethodIsByteFiveOrNoneForShortFiles)
{
    TempDir dir;
    const std::string path = dir.File("p");
    kdx::File h;
    WriteFile(path, Bytes{'K', 'D', 'X', '1', '0', 0xFF});
    ASSERT_TRUE(kdx::OpenReadOnly(h, path));
    EXPECT_EQ(kdx::ReadMethod(h), 255);
    h.Close();
    WriteFile(path, Text("KDX10"));
    ASSERT_TRUE(kdx::OpenReadOnly(h, path));
    EXPECT_EQ(kdx::ReadMethod(h), -1);
}

TEST(Files, PositionedReadsRefuseNegativePositionsAndStopAtTheEnd)
{
    TempDir dir;
    const std::string path = dir.File("p");
    WriteFile(path, Bytes(10, 7));
    kdx::File h;
    ASSERT_TRUE(kdx::OpenReadWrite(h, path));
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(h.ReadAt(-1, buffer, 1), -1);
    EXPECT_EQ(h.ReadAt(6, buffer, 8), 4);
    EXPECT_EQ(h.ReadAt(10, buffer, 8), 0);
    EXPECT_EQ(h.Length(), 10);
}

}  // namespace
