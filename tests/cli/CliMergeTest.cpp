// mendrix-cli merge: the image behind a cue sheet as one file and the sheet
// that goes with it; what it refuses to replace.
#include "kdx/CueMerge.h"
#include "tests/cli/InProcess.h"
#include "tests/support/CueDump.h"

#include <gtest/gtest.h>

#include <regex>

using namespace testsupport;
using clitest::RunCli;
using clitest::Said;

namespace {

const std::string kDir = "/d";

TEST(CliMerge, WritesTheOneFileImageAndItsSheet)
{
    const CueDump dump = GameDump();
    FileTree tree = dump.Tree(kDir);
    MemoryFiles files(tree);
    files.MakeFolder("/o");
    const Said said = RunCli({"merge", "-q", dump.SheetIn(kDir), "-o", "/o/Game (Europe).bin"}, files);
    ASSERT_EQ(said.status, 0) << said.err;
    EXPECT_EQ(said.err, "Information: Image written as one file (/o/Game (Europe).bin, 63504 Bytes) with its cue sheet "
                        "(/o/Game (Europe).cue)\n");
    EXPECT_TRUE(files.Get("/o/Game (Europe).bin") == dump.Merged());
    EXPECT_EQ(files.Get("/o/Game (Europe).cue"),
              Text("REM GENRE Game\r\nCATALOG 0000000000000\r\n"
                   "FILE \"Game (Europe).bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
                   "  TRACK 02 AUDIO\r\n    FLAGS DCP\r\n    INDEX 00 00:00:12\r\n    INDEX 01 00:00:14\r\n"
                   "  TRACK 03 AUDIO\r\n    INDEX 01 00:00:17\r\n"
                   "  TRACK 04 MODE2/2352\r\n    PREGAP 00:02:00\r\n    INDEX 01 00:00:21\r\n"));
    for (const auto& [path, bytes] : tree) EXPECT_TRUE(files.Get(path) == bytes) << path;
    // The new sheet reads back as the same tracks.
    const std::string listed = RunCli({"info", "/o/Game (Europe).cue"}, files).out;
    const std::string before = RunCli({"info", dump.SheetIn(kDir)}, files).out;
    const auto tracks = [](const std::string& out) { return std::regex_replace(out, std::regex(R"(, Game \(Europe\)[^,]*\.bin)"), ""); };
    EXPECT_EQ(tracks(listed.substr(listed.find('\n'))), tracks(before.substr(before.find('\n'))));
}

TEST(CliMerge, RefusesWhatItMustNotReplace)
{
    const CueDump dump = GameDump();
    const std::string sheet = dump.SheetIn(kDir);
    const Bytes old = Text("an older image");
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string err;
        bool replaced;  // /o/old.bin holds the merged image
    } cases[] = {
        {"an existing file", {"-o", "/o/old.bin"}, "Error: /o/old.bin exists already; --yes replaces it.\n", false},
        {"an existing file, with --yes", {"--yes", "-o", "/o/old.bin"}, "", true},
        {"a track file", {"--yes", "-o", dump.FileIn(kDir, 2)},
         "Error: That would replace a file of the image being merged (" + dump.FileIn(kDir, 2) + ").\n", false},
        {"the sheet beside a track file", {"--yes", "-o", "/d/Game (Europe).iso"},
         "Error: That would replace a file of the image being merged (/d/Game (Europe).cue).\n", false},
        {"a sheet's name", {"-o", "/o/x.cue"}, "Error: The merged image and its cue sheet would be one file (/o/x.cue).\n",
         false},
        {"a quote in the name", {"-o", "/o/say \"hi\".bin"},
         "Error: A cue sheet cannot name a file whose name holds a quote (/o/say \"hi\".bin).\n", false},
    };
    for (const auto& c : cases) {
        FileTree tree = dump.Tree(kDir);
        tree["/o/old.bin"] = old;
        MemoryFiles files(tree);
        std::vector<std::string> args = {"merge", "-q", sheet};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Said said = RunCli(args, files);
        EXPECT_EQ(said.status, c.err.empty() ? 0 : 1) << c.what;
        if (!c.err.empty()) {
            EXPECT_EQ(said.err, c.err) << c.what;
        }
        EXPECT_TRUE(files.Get("/o/old.bin") == (c.replaced ? dump.Merged() : old)) << c.what;
        for (const auto& [path, bytes] : dump.Tree(kDir)) EXPECT_TRUE(files.Get(path) == bytes) << c.what << ": " << path;
        EXPECT_EQ(files.Files().size(), tree.size() + (c.replaced ? 1u : 0u)) << c.what << ": no other file, no temporary";
    }
    MemoryFiles files(dump.Tree(kDir));
    const Said said = RunCli({"merge", dump.FileIn(kDir, 0), "-o", "/d/one.bin"}, files);
    EXPECT_EQ(said.err, "Error: The image is one file already, there is nothing to merge (" + dump.FileIn(kDir, 0) + ").\n");
}

// A file's first track starts where its file does: what lies before its
// first INDEX stays with it in the merged sheet.
TEST(CliMerge, TheSectorsBeforeAFilesFirstIndexStayWithItsTrack)
{
    const std::string first = "FILE a.bin BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n";
    const struct {
        std::string sheet;
        const char* merged;  // nullptr: cannot be merged
    } cases[] = {
        {first + "FILE b.bin BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:02\n",
         "FILE \"m.bin\" BINARY\r\n  TRACK 01 MODE1/2048\r\n    INDEX 01 00:00:00\r\n"
         "  TRACK 02 AUDIO\r\n    INDEX 00 00:00:03\r\n    INDEX 01 00:00:05\r\n"},
        {first + "FILE b.bin BINARY\n  TRACK 02 AUDIO\n    INDEX 00 00:00:01\n    INDEX 01 00:00:02\n",
         "FILE \"m.bin\" BINARY\r\n  TRACK 01 MODE1/2048\r\n    INDEX 01 00:00:00\r\n"
         "  TRACK 02 AUDIO\r\n    INDEX 00 00:00:03\r\n    INDEX 01 00:00:05\r\n"},
        // An INDEX past the end of its file would come after the next file's.
        {first + "    INDEX 02 00:00:09\nFILE b.bin BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n", nullptr},
    };
    for (const auto& c : cases) {
        const kdx::CueSheetResult read = kdx::ReadCueSheet(c.sheet);
        ASSERT_TRUE(read.ok()) << c.sheet;
        kdx::CueImageResult laid =
            kdx::LayOutCueImage(read.sheet, {{"a.bin", "a.bin", 0, 3 * 2048, {}}, {"b.bin", "b.bin", 0, 4 * 2352, {}}});
        ASSERT_TRUE(laid.ok()) << c.sheet;
        laid.image.sheet = c.sheet;
        const std::optional<std::string> merged = kdx::MergedCueSheet(laid.image, "m.bin");
        EXPECT_EQ(merged.has_value(), c.merged != nullptr) << c.sheet;
        if (merged && c.merged) {
            EXPECT_EQ(*merged, c.merged);
        }
    }
    EXPECT_EQ(kdx::SheetBeside("/o/Game (Europe).bin"), "/o/Game (Europe).cue");
    EXPECT_EQ(kdx::SheetBeside("/o.d/image"), "/o.d/image.cue");
    EXPECT_EQ(kdx::SheetBeside("/o/.bin"), "/o/.bin.cue");
}

}  // namespace
