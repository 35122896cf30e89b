// uStd: opening with no sharing, the magic and the method byte.
#include "engine/uStd.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

TEST(Files, OpenRefusesWhatIsHeldOpenAndDirectories)
{
    TempDir dir;
    const std::string path = dir.File("a.kdx");
    WriteFile(path, Text("KDX"));

    uStd::FileHandle first;
    ASSERT_TRUE(uStd::OpenReadOnly(first, path));
    uStd::FileHandle second;
    EXPECT_FALSE(uStd::OpenReadOnly(second, path));
    EXPECT_FALSE(uStd::OpenReadWrite(second, path));
    EXPECT_EQ(second.Native(), uStd::FileHandle::kInvalid);
    first.Close();
    EXPECT_TRUE(uStd::OpenReadWrite(second, path));

    uStd::FileHandle dirHandle;
    EXPECT_FALSE(uStd::OpenReadOnly(dirHandle, dir.Path().string()));
    EXPECT_FALSE(uStd::OpenReadWrite(dirHandle, dir.Path().string()));
    EXPECT_FALSE(uStd::OpenReadOnly(dirHandle, dir.File("missing")));
    EXPECT_FALSE(uStd::OpenReadWrite(dirHandle, dir.File("missing")));
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
        uStd::FileHandle h;
        ASSERT_TRUE(uStd::OpenReadOnly(h, path));
        EXPECT_EQ(uStd::CheckMagic(h), c.magic) << c.content;
    }
}

TEST(Files, MethodIsByteFiveOrNoneForShortFiles)
{
    TempDir dir;
    const std::string path = dir.File("p");
    uStd::FileHandle h;
    WriteFile(path, Bytes{'K', 'D', 'X', '1', '0', 0xFF});
    ASSERT_TRUE(uStd::OpenReadOnly(h, path));
    EXPECT_EQ(uStd::ReadEncMethod(h), 255);
    h.Close();
    WriteFile(path, Text("KDX10"));
    ASSERT_TRUE(uStd::OpenReadOnly(h, path));
    EXPECT_EQ(uStd::ReadEncMethod(h), -1);
}

TEST(Files, SeekReportsFailureForNegativePositions)
{
    TempDir dir;
    const std::string path = dir.File("p");
    WriteFile(path, Bytes(10, 0));
    uStd::FileHandle h;
    ASSERT_TRUE(uStd::OpenReadWrite(h, path));
    EXPECT_EQ(h.Seek(-1, uStd::SeekOrigin::Begin), -1);
    EXPECT_EQ(h.Seek(0, uStd::SeekOrigin::End), 10);
    EXPECT_EQ(h.Length(), 10);
}

}  // namespace
