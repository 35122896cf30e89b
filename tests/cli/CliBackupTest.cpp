// apply --backup: the backup written before the first write, and an apply
// killed halfway (by a test build of the program) recovered both ways.
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

RunResult Cli(const std::vector<std::string>& args) { return Run(MENDRIX_CLI, args); }

class CliBackup : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(CliBackup, AKilledApplyIsUndoneByItsBackupOrCompletedByApplyingAgain)
{
    // 100,000 scattered records, written one at a time (the test build maps nothing).
    const Bytes original = Noise(6400000, 5);
    Bytes modified = original;
    for (std::size_t i = 0; i < 100000; ++i) modified[i * 64] ^= 0xFF;
    WriteFile(dir.File("a.bin"), original);
    WriteFile(dir.File("b.bin"), modified);
    ASSERT_EQ(Cli({"make", "-q", dir.File("a.bin"), dir.File("b.bin"), "-o", dir.File("p.kdx")}).status, 0);
    WriteFile(dir.File("img.bin"), original);

    // Killed just before the 40,001st write to the image: 40,000 records written.
    const RunResult killed = testsupport::Run(STOPPING_CLI, {dir.File("img.bin"), "40001", "apply", "-q", "--backup",
                                                dir.File("back.kdx"), dir.File("p.kdx"), dir.File("img.bin")});
    ASSERT_EQ(killed.status, 128 + 9) << killed.err;
    ASSERT_EQ(killed.err, "Information: Backup written (" + dir.File("back.kdx") +
                              ", 100000 records): applying it puts the image's bytes back.\n");

    const RunResult check = Cli({"check", dir.File("p.kdx"), dir.File("img.bin")});
    EXPECT_NE(check.out.find("Image state    : partly patched ("), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("\nWhat to do     : apply the patch again to complete it, or apply its backup to go "
                             "back\n"),
              std::string::npos)
        << check.out;
    const Bytes half = ReadFile(dir.File("img.bin"));
    std::size_t patched = 0;
    for (std::size_t i = 0; i < 100000; ++i) patched += half[i * 64] == modified[i * 64] ? 1 : 0;
    EXPECT_EQ(patched, 40000u);

    EXPECT_EQ(Cli({"apply", "-q", dir.File("back.kdx"), dir.File("img.bin")}).status, 0);
    EXPECT_TRUE(ReadFile(dir.File("img.bin")) == original);

    WriteFile(dir.File("img.bin"), half);
    EXPECT_EQ(Cli({"apply", "-q", dir.File("p.kdx"), dir.File("img.bin")}).status, 0);
    EXPECT_TRUE(ReadFile(dir.File("img.bin")) == modified);
}

TEST_F(CliBackup, AGrownTailStaysZeroFilledAndSaysSo)
{
    WriteFile(dir.File("a.bin"), Bytes(100, 1));
    Bytes grown(120, 1);
    grown[5] = 2;
    grown[119] = 3;
    WriteFile(dir.File("b.bin"), grown);
    ASSERT_EQ(Cli({"make", "-q", dir.File("a.bin"), dir.File("b.bin"), "-o", dir.File("p.kdx")}).status, 0);
    WriteFile(dir.File("img.bin"), Bytes(100, 1));

    RunResult r = Cli({"apply", "-q", "--backup", dir.File("back.kdx"), dir.File("p.kdx"), dir.File("img.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Information: Backup written (" + dir.File("back.kdx") +
                         ", 2 records): applying it puts the image's bytes back.\n"
                         "The patch grows the image from 100 to 120 Bytes; the backup cannot shorten it: the grown "
                         "tail stays, zero-filled.\n"
                         "Information: Patch successfully applied, burn image to CD now!\n");
    r = Cli({"apply", "-q", dir.File("back.kdx"), dir.File("img.bin")});
    EXPECT_EQ(r.status, 0);
    Bytes expected(100, 1);
    expected.resize(120, 0);
    EXPECT_EQ(ReadFile(dir.File("img.bin")), expected);
}

TEST_F(CliBackup, NoBackupNoWrite)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{1, {7}, {0}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    WriteFile(dir.File("img.bin"), Bytes(4, 0));
    for (const std::string command : {"apply", "undo"}) {
        const RunResult r = Cli({command, "--backup", dir.File("no/b.kdx"), dir.File("p.kdx"), dir.File("img.bin")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "Error: Can't write the backup (" + dir.File("no/b.kdx") +
                             "): No such file or directory. Nothing was written to the image.\n");
        EXPECT_EQ(ReadFile(dir.File("img.bin")), Bytes(4, 0));
    }
}

// Unsound records write nothing, backup included; the apply says why in its own words.
TEST_F(CliBackup, UnsoundRecordsGetTheApplysOwnMessageAndNoBackup)
{
    PatchLayout layout;
    layout.version = 3;
    layout.records = {{0, {1}, {}}, {9, {2, 3}, {}}};
    Bytes cut = BuildPatch(layout);
    cut.resize(60 + 10 + 10);  // the second record one byte short
    PatchLayout negative = layout;
    negative.records[1].offset = -5;
    PatchLayout none;
    none.version = 3;
    const struct {
        const char* name;
        Bytes patch;
        std::string err;
    } cases[] = {
        {"cut", cut, "Error: This patch is damaged, its records do not fit its patch-data. This operation has been "
                     "cancelled.\n"},
        {"negative", BuildPatch(negative), "Error: This patch attemps to write in an area outside of this image. This "
                                           "operation has been cancelled.\n"},
        {"no records", BuildPatch(none), "Error: This patch contains no bytes of patch-data. This operation has been "
                                         "cancelled.\n"},
    };
    for (const auto& c : cases) {
        WriteFile(dir.File("p.kdx"), c.patch);
        WriteFile(dir.File("img.bin"), Bytes(16, 7));
        const RunResult r = Cli({"apply", "--backup", dir.File("back.kdx"), dir.File("p.kdx"), dir.File("img.bin")});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
        EXPECT_EQ(ReadFile(dir.File("img.bin")), Bytes(16, 7)) << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir.File("back.kdx"))) << c.name;
    }
}

// The backup comes before every other hook: its message is the first, and
// what the sector fix says of the image follows it.
TEST_F(CliBackup, TheBackupComesBeforeTheSectorFix)
{
    PatchLayout layout;
    layout.version = 3;
    layout.records = {{2, {9}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    WriteFile(dir.File("img.bin"), Bytes(100, 7));
    const RunResult r = Cli({"apply", "-q", "--fix-sectors", "--backup", dir.File("back.kdx"), dir.File("p.kdx"),
                             dir.File("img.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Information: Backup written (" + dir.File("back.kdx") +
                         ", 1 record): applying it puts the image's bytes back.\n"
                         "Information: Not a raw image of 2352-byte sectors (its length is not a multiple of 2352 "
                         "bytes): --fix-sectors leaves the image as the patch writes it\n"
                         "Information: Patch successfully applied, burn image to CD now!\n");
}

}  // namespace
