// mendrix-cli check: one line per check, the image's state, exit status,
// and nothing written.
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

RunResult Cli(const std::vector<std::string>& args) { return Run(MENDRIX_CLI, args); }

class CliCheck : public ::testing::Test {
protected:
    RunResult Check(const Bytes& image)
    {
        WriteFile(dir.File("disc.bin"), image);
        const RunResult r = Cli({"check", dir.File("p.kdx"), dir.File("disc.bin")});
        EXPECT_EQ(ReadFile(dir.File("disc.bin")), image);
        return r;
    }
    TempDir dir;
};

TEST_F(CliCheck, TellsWhetherTheImageIsPatched)
{
    Bytes original = Noise(50000, 21);
    Bytes modified = original;
    modified[100] ^= 1;
    modified[40000] ^= 1;
    WriteFile(dir.File("a.bin"), original);
    WriteFile(dir.File("b.bin"), modified);
    ASSERT_EQ(Cli({"make", dir.File("a.bin"), dir.File("b.bin"), "-o", dir.File("p.kdx"), "--undo", "--blockcheck"})
                  .status,
              0);
    const std::string checks = "Block check    : passed (1024 Bytes at 37664)\n"
                               "Patch data     : passed (22 Bytes)\n"
                               "Records        : passed (2 records, ending at the end of the patch data)\n";
    RunResult r = Check(original);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, checks + "Image state    : not patched\nOriginal bytes : held everywhere\n");

    r = Check(modified);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, checks + "Image state    : patched\nOriginal bytes : not held everywhere (0 of 2 records)\n");

    Bytes half = original;
    half[100] = modified[100];
    r = Check(half);
    EXPECT_EQ(r.out, checks +
                         "Image state    : partly patched (1 of 2 records)\n"
                         "Original bytes : not held everywhere (1 of 2 records)\n"
                         "What to do     : apply the patch again to complete it, or apply its backup to go back\n");

    Bytes other = original;
    other[37664] ^= 1;
    r = Check(other);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "Block check    : failed (the image does not hold the patch's 1024 Bytes at 37664)");
}

TEST_F(CliCheck, Version2FailuresExitWith1)
{
    PatchLayout layout;
    layout.version = 2;
    layout.imageSize = 40000;
    layout.records = {{0, {1}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    const RunResult r = Check(Bytes(100, 0));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "Image size     : failed (the image is 100 Bytes, the patch wants 40000 Bytes)\n"
              "Block check    : failed (the image ends before 1024 Bytes at 37664)\n"
              "Patch data     : passed (6 Bytes)\n"
              "Records        : passed (1 record, ending at the end of the patch data)\n"
              "Image state    : not patched\n");
}

TEST_F(CliCheck, UnsoundPatchesAreReportedPerCheck)
{
    PatchLayout layout;
    layout.records = {{0, {1, 2, 3}, {}}, {8, {4, 5}, {}}};
    Bytes patch = BuildPatch(layout);
    patch.pop_back();
    WriteFile(dir.File("p.kdx"), patch);
    RunResult r = Check(Bytes(16, 0));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "Patch data     : passed (14 Bytes)\n"
              "Records        : failed (record 2 is damaged: the records do not fit the patch data)\n"
              "Image state    : unknown (the patch's records cannot be read)\n");

    layout.version = 3;
    layout.records = {{-1, {1}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    r = Check(Bytes(16, 0));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Records        : failed (record 1 writes at a negative offset, outside of the image)\n"),
              std::string::npos);

    layout.records = {{0, {1}, {}}, {INT64_MAX - 1, {1, 2}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    r = Check(Bytes(16, 0));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Records        : failed (record 2 writes past the largest position a file can have)\n"),
              std::string::npos);

    layout.records.clear();
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    r = Check(Bytes(16, 0));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "Block check    : off (the patch carries no block)\n"
              "Patch data     : failed (the patch holds no bytes of patch-data)\n"
              "Image state    : unknown (the patch's records cannot be read)\n");
}

TEST_F(CliCheck, AMissingImageIsRefused)
{
    PatchLayout layout;
    layout.records = {{0, {1}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    const RunResult r = Cli({"check", dir.File("p.kdx"), dir.File("none.bin")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Error: Can't open the specified image file ...\n(" + dir.File("none.bin") +
                         ")\n(No such file or directory)\n");
}

}  // namespace
