// mendrix-cli with a cue sheet as the image: apply, undo, the backup and
// check through the sheet; every refused sheet with its line and nothing
// written; the track files that cannot be opened or written named.
#include "tests/cli/InProcess.h"
#include "tests/support/CueDump.h"
#include "tests/support/FaultyFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace testsupport;
using clitest::RunCli;
using clitest::Said;

namespace {

const std::string kDir = "/d";
const std::string kPatch = "/p/fix.kdx";
const std::string kBackup = "/p/back.kdx";
constexpr std::int64_t kS = 2352;

// Records with undo data: inside track 1, across the boundary of tracks 1
// and 2, and across that of tracks 3 and 4.
PatchLayout FixPatch(const Bytes& merged, Bytes& patched)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    patched = merged;
    for (const std::int64_t at : {std::int64_t{40}, 12 * kS - 30, 21 * kS - 30}) {
        Rec r{at, {}, {}};
        for (std::int64_t i = 0; i < 60; ++i) {
            const auto b = static_cast<std::size_t>(at + i);
            r.undo.push_back(merged[b]);
            r.bytes.push_back(static_cast<std::uint8_t>(merged[b] ^ 0xA5));
            patched[b] = r.bytes.back();
        }
        layout.records.push_back(r);
    }
    return layout;
}

class CliCue : public ::testing::Test {
protected:
    CliCue() : dump(GameDump()), merged(dump.Merged()), layout(FixPatch(merged, patched)), sheet(dump.SheetIn(kDir))
    {
        FileTree tree = dump.Tree(kDir);
        tree[kPatch] = BuildPatch(layout);
        files = std::make_unique<MemoryFiles>(tree);
    }
    Bytes Range() const { return dump.Read(files->Files(), kDir); }
    void ExpectUntouched() const
    {
        for (const auto& [path, bytes] : dump.Tree(kDir)) EXPECT_TRUE(files->Get(path) == bytes) << path;
    }

    const CueDump dump;
    const Bytes merged;
    Bytes patched;
    const PatchLayout layout;
    const std::string sheet;
    std::unique_ptr<MemoryFiles> files;
};

TEST_F(CliCue, ApplyUndoAndTheBackupGoThroughTheSheet)
{
    Said said = RunCli({"apply", "-q", "--backup", kBackup, kPatch, sheet}, *files);
    ASSERT_EQ(said.status, 0) << said.err;
    EXPECT_EQ(said.err, "Information: Backup written (" + kBackup +
                            ", 3 records): applying it puts the image's bytes back.\n"
                            "Information: Patch successfully applied, burn image to CD now!\n");
    EXPECT_TRUE(Range() == patched);
    EXPECT_EQ(files->Get(sheet), Text(dump.sheet));
    said = RunCli({"check", kPatch, sheet}, *files);
    EXPECT_NE(said.out.find("Image state    : patched\n"), std::string::npos) << said.out;

    said = RunCli({"undo", "-q", kPatch, sheet}, *files);
    ASSERT_EQ(said.status, 0) << said.err;
    EXPECT_TRUE(Range() == merged);
    ASSERT_EQ(RunCli({"apply", "-q", kPatch, sheet}, *files).status, 0);
    said = RunCli({"apply", "-q", kBackup, sheet}, *files);
    ASSERT_EQ(said.status, 0) << said.err;
    EXPECT_TRUE(Range() == merged) << "the backup puts the track files back";
    for (std::size_t i = 0; i < dump.files.size(); ++i) EXPECT_FALSE(files->HeldOpen(dump.FileIn(kDir, i)));
}

TEST_F(CliCue, CheckAndInfoListTheTracks)
{
    const std::string tracks = "Cue sheet      : " + sheet +
                               " (4 track files, 63504 Bytes)\n"
                               "Track 01       : MODE1/2352, Game (Europe) (Track 1).bin, sector 0, 12 sectors (28224 Bytes)\n"
                               "Track 02       : AUDIO, Game (Europe) (Track 2).bin, sector 12, 5 sectors (11760 Bytes)\n"
                               "Track 03       : AUDIO, Game (Europe) (Track 3).bin, sector 17, 4 sectors (9408 Bytes)\n"
                               "Track 04       : MODE2/2352, Game (Europe) (Track 4).bin, sector 21, 6 sectors (14112 Bytes)\n";
    Said said = RunCli({"info", sheet}, *files);
    EXPECT_EQ(said.status, 0);
    EXPECT_EQ(said.out, tracks);
    said = RunCli({"check", kPatch, sheet}, *files);
    EXPECT_EQ(said.status, 0) << said.err;
    // The patch touches sectors 0, 11, 12 (audio: not counted), 20 (audio) and 21.
    EXPECT_EQ(said.out, tracks +
                            "Block check    : off (the patch carries no block)\n"
                            "Patch data     : passed (387 Bytes)\n"
                            "Records        : passed (3 records, ending at the end of the patch data)\n"
                            "Image state    : not patched\n"
                            "Original bytes : held everywhere\n"
                            "Sector EDC/ECC : 3 right, 0 wrong of the 3 sectors the patch touches\n");
    said = RunCli({"info", "--json", sheet}, *files);
    EXPECT_NE(said.out.find("\"firstSector\": 21"), std::string::npos) << said.out;
    EXPECT_NE(said.out.find("\"mode\": \"MODE2/2352\""), std::string::npos) << said.out;
}

// Each way a sheet is refused, on the line that says why; nothing is opened for writing.
TEST_F(CliCue, RefusedSheetsSayTheirLineAndWriteNothing)
{
    const std::string track1 = "FILE \"Game (Europe) (Track 1).bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n";
    const struct {
        std::string sheet;
        std::string err;
    } cases[] = {
        {track1 + "FILE \"Game (Europe) (Track 2).bin\" WAVE\n",
         "Cue sheet line 4: file type \"WAVE\" is not supported: only BINARY track files can be patched."},
        {track1 + "FILE \"Game (Europe) (Track 5).bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
         "Cue sheet line 4: the track file /d/Game (Europe) (Track 5).bin does not exist."},
        {track1 + "FILE \"Game (Europe) (Track 1).bin\" BINARY\n",
         "Cue sheet line 4: the file \"Game (Europe) (Track 1).bin\" is named twice (first on line 1)."},
        {"FILE \"odd.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n",
         "Cue sheet line 1: the track file /d/odd.bin is 2353 Bytes long, not a whole number of 2352-Byte sectors."},
        {track1 + "  TITLE \"a\x01b\"\n", "Cue sheet line 4: the line cannot be read: it holds a control character."},
        {"FILE \"../p/fix.kdx\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n",
         "Cue sheet line 1: the file name \"../p/fix.kdx\" climbs to a folder above (\"..\"); track files must lie in "
         "the cue sheet's folder."},
        {"FILE \"/p/fix.kdx\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n",
         "Cue sheet line 1: the file name \"/p/fix.kdx\" is an absolute path; track files must lie in the cue "
         "sheet's folder."},
        {track1 + "  TRACK 02 MODE1/2352\n    INDEX 01 00:00:30\n",
         "Cue sheet line 4: track 2 lies past the end of /d/Game (Europe) (Track 1).bin."},
        {track1 + "  BOGUS\n", "Cue sheet line 4: unknown command \"BOGUS\"."},
    };
    for (const auto& c : cases) {
        files->Put("/d/bad.cue", Text(c.sheet));
        files->Put("/d/odd.bin", Bytes(2353, 7));
        for (const char* command : {"apply", "check", "sectors", "info"}) {
            std::vector<std::string> args = {command};
            if (std::string(command) == "apply" || std::string(command) == "check") args.push_back(kPatch);
            args.push_back("/d/bad.cue");
            const Said said = RunCli(args, *files);
            EXPECT_EQ(said.status, 1) << command << ": " << c.sheet;
            EXPECT_EQ(said.err, "Error: " + c.err + "\n") << command;
        }
        ExpectUntouched();
        EXPECT_EQ(files->Get(kPatch), BuildPatch(layout));
    }
}

TEST_F(CliCue, ATextThatIsNoSheetIsNotACdImage)
{
    const Bytes readme = Text("Game (Europe)\r\nBurn with the cue sheet.\r\n");
    files->Put("/d/readme.txt", readme);
    const std::string err = "Error: This file is not a CD image: it holds text that is not a cue sheet (/d/readme.txt)\n";
    for (const char* command : {"apply", "check"}) {
        const Said said = RunCli({command, kPatch, "/d/readme.txt"}, *files);
        EXPECT_EQ(said.status, 1) << command;
        EXPECT_EQ(said.err, err) << command;
    }
    EXPECT_EQ(RunCli({"sectors", "/d/readme.txt"}, *files).err, err);
    EXPECT_EQ(RunCli({"make", "/d/readme.txt", dump.FileIn(kDir, 0), "-o", "/p/x.kdx"}, *files).err,
              "Error: The original image is not a CD image: it holds text that is not a cue sheet (/d/readme.txt).\n");
    EXPECT_EQ(files->Get("/d/readme.txt"), readme);
}

// A track file that cannot be opened or written is named; every file keeps
// its length; the backup and the patch can never be one of the track files.
TEST_F(CliCue, TrackFilesThatFailAreNamed)
{
    const std::string track2 = dump.FileIn(kDir, 1);
    const std::string cantOpen = "Error: Can't open the specified image file ...\n(" + track2 + ")\n";
    const struct {
        const char* what;
        FileOp op;
        int error;
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {"held by another program", FileOp::Open, EWOULDBLOCK, {}, cantOpen + "(Device or resource busy)\n"},
        {"read-only", FileOp::Open, EACCES, {}, cantOpen + "(Permission denied)\n"},
        {"not written (maps refused)", FileOp::Write, EIO, {},
         "Error: Can't write to the image file (" + track2 + ": Input/output error). This operation has been cancelled.\n"},
        {"not synced", FileOp::Sync, EIO, {},
         "Error: Can't write to the image file (" + track2 + ": Input/output error). This operation has been cancelled.\n"},
        {"the backup a track file", FileOp::Inspect, 0, {"--backup", track2},
         "Error: The backup would replace the image (" + track2 + "). Nothing was written to the image.\n"},
    };
    for (const auto& c : cases) {
        FaultyFiles faulty(*files);
        if (c.error != 0) faulty.Fail(c.op, Named(track2), c.error, 0);
        if (c.op == FileOp::Write) faulty.Fail(FileOp::Map, AnyFile(), ENOMEM, 0);
        std::vector<std::string> args = {"apply", "-q"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {kPatch, sheet});
        const Said said = RunCli(args, faulty);
        EXPECT_EQ(said.status, 1) << c.what;
        EXPECT_EQ(said.err, c.err) << c.what;
        for (std::size_t i = 0; i < dump.files.size(); ++i)
            EXPECT_EQ(files->Get(dump.FileIn(kDir, i))->size(), dump.files[i].bytes.size()) << c.what;
        files = std::make_unique<MemoryFiles>(dump.Tree(kDir));
        files->Put(kPatch, BuildPatch(layout));
    }
}

// A patch that a sheet names as its track file: held as part of the image
// while the apply runs, it cannot be opened as the patch.
TEST_F(CliCue, APatchThatIsATrackFileIsNotOpened)
{
    PatchLayout sector;
    sector.version = 3;
    while (BuildPatch(sector).size() < static_cast<std::size_t>(kS)) {
        const std::size_t left = static_cast<std::size_t>(kS) - BuildPatch(sector).size();
        sector.records.push_back({0, Bytes(std::min<std::size_t>(255, left > 9 ? left - 9 : 1), 1), {}});
    }
    ASSERT_EQ(BuildPatch(sector).size(), static_cast<std::size_t>(kS));
    files->Put("/p/fix.kdx", BuildPatch(sector));
    files->Put("/p/self.cue", Text("FILE fix.kdx BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    const Said said = RunCli({"apply", "-q", "/p/fix.kdx", "/p/self.cue"}, *files);
    EXPECT_EQ(said.status, 1);
    EXPECT_EQ(said.err, "Error: Can't open the specified kdx file ...\n(/p/fix.kdx)\n(Device or resource busy)\n");
    EXPECT_EQ(files->Get("/p/fix.kdx"), BuildPatch(sector));
}

}  // namespace
