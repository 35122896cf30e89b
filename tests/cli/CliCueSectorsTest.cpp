// The sectors of an image behind a cue sheet go by each track's mode:
// sectors, sectors --fix, apply --fix-sectors and make --fix-sectors never
// count or change an AUDIO track, whatever its bytes look like; MODE1/2048
// tracks store nothing to check; MODE2/2336 tracks are checked and repaired
// as the whole sectors they end.
#include "kdx/CdSector.h"
#include "tests/cli/InProcess.h"
#include "tests/support/CueDump.h"
#include "tests/support/RawSectors.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace testsupport;
using clitest::RunCli;
using clitest::Said;

namespace {

const std::string kDir = "/d";
constexpr std::size_t kS = 2352;

// Flips a data byte of the sector at `at` in bytes: its EDC (and for Mode 1
// and Form 1 its parity) no longer match.
void Spoil(Bytes& bytes, std::size_t at) { bytes[at + 100] ^= 0x10; }

// The sector as a repair leaves it: the changed data kept, its EDC/ECC made right.
void Repair(Bytes& bytes, std::size_t at) { kdx::RepairSector(kdx::SectorBytes(bytes.data() + at, kS)); }

// The game dump with its third track's audio made of bytes that read as
// right Mode 1 sectors (LBA 17-20): a check by bytes would take them for data.
CueDump LookalikeDump()
{
    CueDump dump = GameDump();
    dump.files[2].bytes = RawImage(std::vector<RawKind>(4, RawKind::Mode1));
    return dump;
}

TEST(CliCueSectors, SectorsAndTheirFixGoByTheTracksModes)
{
    CueDump game = GameDump();
    Spoil(game.files[0].bytes, 3 * kS);
    Spoil(game.files[3].bytes, 2 * kS);  // LBA 23, Form 1
    Spoil(game.files[3].bytes, 3 * kS);  // LBA 24, Form 2
    CueDump mixed = MixedDump();
    Spoil(mixed.files[0].bytes, 5 * 2048 + 1 * 2336 - 16);  // LBA 6, Form 2, as the file holds it
    Spoil(mixed.files[0].bytes, 5 * 2048 + 2 * 2336 - 16);  // LBA 7, Form 1
    const struct {
        const CueDump& dump;
        std::string lines;
    } cases[] = {
        {game,
         "Track 01       : MODE1/2352, 12 sectors: Mode 1 12; wrong EDC/ECC: 1 (EDC wrong in 1, ECC wrong in 1; LBA 3)\n"
         "Track 02       : AUDIO, 5 sectors, not checked (audio)\n"
         "Track 03       : AUDIO, 4 sectors, not checked (audio)\n"
         "Track 04       : MODE2/2352, 6 sectors: Mode 2 Form 1 3, Mode 2 Form 2 3; wrong EDC/ECC: 2 (EDC wrong in 2, "
         "ECC wrong in 1; LBA 23, 24)\n"
         "Sectors        : 18 checked (tracks with EDC/ECC)\n"
         "Mode 1         : 12\nMode 2 Form 1  : 3\nMode 2 Form 2  : 3\nOther          : 0\n"
         "Wrong EDC/ECC  : 3 (EDC wrong in 3, ECC wrong in 2; LBA 3, 23, 24)\n"},
        {mixed,
         "Track 01       : MODE1/2048, 5 sectors, not checked (no EDC/ECC in the file)\n"
         "Track 02       : MODE2/2336, 4 sectors: Mode 2 Form 1 3, Mode 2 Form 2 1; wrong EDC/ECC: 2 (EDC wrong in 2, "
         "ECC wrong in 1; LBA 6, 7)\n"
         "Track 03       : AUDIO, 3 sectors, not checked (audio)\n"
         "Sectors        : 4 checked (tracks with EDC/ECC)\n"
         "Mode 1         : 0\nMode 2 Form 1  : 3\nMode 2 Form 2  : 1\nOther          : 0\n"
         "Wrong EDC/ECC  : 2 (EDC wrong in 2, ECC wrong in 1; LBA 6, 7)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dump.sheetName);
        MemoryFiles files(c.dump.Tree(kDir));
        const std::string sheet = c.dump.SheetIn(kDir);
        Said said = RunCli({"sectors", sheet}, files);
        EXPECT_EQ(said.status, 1);
        EXPECT_EQ(said.out, c.lines);
        EXPECT_EQ(files.Files(), c.dump.Tree(kDir)) << "a check writes nothing";

        said = RunCli({"sectors", "--json", sheet}, files);
        const nlohmann::json j = nlohmann::json::parse(said.out);
        ASSERT_EQ(j["tracks"].size(), c.dump.files.size() == 4 ? 4u : 3u);
        for (const auto& track : j["tracks"])
            EXPECT_EQ(track["checked"].get<bool>(), track["mode"] != "AUDIO" && track["mode"] != "MODE1/2048");

        said = RunCli({"sectors", "--fix", "--yes", "-q", sheet}, files);
        EXPECT_EQ(said.status, 0) << said.err;
        said = RunCli({"sectors", sheet}, files);
        EXPECT_EQ(said.status, 0);
        EXPECT_NE(said.out.find("Wrong EDC/ECC  : none\n"), std::string::npos) << said.out;
    }
    // What the fix wrote: the spoilt sectors made right, in the form their track stores them.
    MemoryFiles files(game.Tree(kDir));
    ASSERT_EQ(RunCli({"sectors", "--fix", "--yes", "-q", game.SheetIn(kDir)}, files).status, 0);
    CueDump fixed = game;
    Repair(fixed.files[0].bytes, 3 * kS);
    Repair(fixed.files[3].bytes, 2 * kS);
    Repair(fixed.files[3].bytes, 3 * kS);
    EXPECT_EQ(files.Files(), fixed.Tree(kDir)) << "the audio track that reads as wrong Mode 1 sectors stays";

    MemoryFiles mixedFiles(mixed.Tree(kDir));
    ASSERT_EQ(RunCli({"sectors", "--fix", "--yes", "-q", mixed.SheetIn(kDir)}, mixedFiles).status, 0);
    Bytes expected = mixed.files[0].bytes;
    for (const auto& [lba, kind] : {std::pair{6u, RawKind::Mode2Form2}, {7u, RawKind::Mode2Form1}}) {
        Bytes whole = RawSector(kind, lba);
        Spoil(whole, 0);
        Repair(whole, 0);
        const std::size_t at = 5 * 2048 + (lba - 5) * 2336;
        std::copy(whole.begin() + 16, whole.end(), expected.begin() + static_cast<std::ptrdiff_t>(at));
    }
    EXPECT_TRUE(mixedFiles.Get(mixed.FileIn(kDir, 0)) == expected);
}

// apply --fix-sectors: the sectors the records touch are kept right in the
// data tracks; in an audio track that reads as right Mode 1 sectors, the
// patch's bytes stay as written.
TEST(CliCueSectors, FixSectorsLeavesAudioTracksAsThePatchWritesThem)
{
    const CueDump dump = LookalikeDump();
    const Bytes merged = dump.Merged();
    PatchLayout layout;
    layout.version = 3;
    for (const std::size_t lba : {2u, 18u, 22u}) layout.records.push_back({static_cast<std::int64_t>(lba * kS + 500), {1, 2, 3}, {}});
    FileTree tree = dump.Tree(kDir);
    tree["/p/fix.kdx"] = BuildPatch(layout);
    MemoryFiles files(tree);
    const Said said = RunCli({"apply", "-q", "--fix-sectors", "/p/fix.kdx", dump.SheetIn(kDir)}, files);
    ASSERT_EQ(said.status, 0) << said.err;
    EXPECT_EQ(said.err, "Information: EDC/ECC updated in 2 sectors\n"
                        "Information: Patch successfully applied, burn image to CD now!\n");
    Bytes expected = merged;
    for (const Rec& r : layout.records) std::copy(r.bytes.begin(), r.bytes.end(), expected.begin() + r.offset);
    Repair(expected, 2 * kS);
    Repair(expected, 22 * kS);
    EXPECT_TRUE(dump.Read(files.Files(), kDir) == expected);
}

// make on two sheets writes the patch that make on the merged files writes;
// its broken sectors are those of data tracks only.
TEST(CliCueSectors, MakeOnSheetsIsMakeOnTheMergedFiles)
{
    const CueDump original = LookalikeDump();
    CueDump modified = original;
    Spoil(modified.files[0].bytes, 2 * kS);   // LBA 2: broken
    Spoil(modified.files[2].bytes, 1 * kS);   // LBA 18, audio: as it is
    modified.files[3].bytes[5 * kS + 40] ^= 0xFF;
    Repair(modified.files[3].bytes, 5 * kS);  // LBA 26: changed, right
    FileTree tree = original.Tree("/a");
    for (const auto& [path, bytes] : modified.Tree("/b")) tree[path] = bytes;
    tree["/m/a.bin"] = original.Merged();
    tree["/m/b.bin"] = modified.Merged();
    MemoryFiles files(tree);
    files.MakeFolder("/p");
    const auto broken = [](int n, int first) {
        return "Warning: MODIFIED has " + std::to_string(n) + " sectors whose EDC/ECC do not match their data (first LBA " +
               std::to_string(first) + "); fix them with `mendrix-cli sectors --fix` first, or the patched disc will not "
               "read there\n";
    };
    Said said = RunCli({"make", "-q", original.SheetIn("/a"), modified.SheetIn("/b"), "-o", "/p/cue.kdx"}, files);
    ASSERT_EQ(said.status, 0) << said.err;
    EXPECT_EQ(said.err.substr(0, said.err.find('\n') + 1), broken(1, 2));
    said = RunCli({"make", "-q", "/m/a.bin", "/m/b.bin", "-o", "/p/one.kdx"}, files);
    ASSERT_EQ(said.status, 0) << said.err;
    EXPECT_EQ(said.err.substr(0, said.err.find('\n') + 1), broken(2, 2)) << "one file is judged by its bytes";
    EXPECT_EQ(files.Get("/p/cue.kdx"), files.Get("/p/one.kdx"));

    said = RunCli({"make", "-q", "--fix-sectors", original.SheetIn("/a"), modified.SheetIn("/b"), "-o", "/p/fix.kdx"}, files);
    ASSERT_EQ(said.status, 0) << said.err;
    ASSERT_EQ(RunCli({"apply", "-q", "/p/fix.kdx", original.SheetIn("/a")}, files).status, 0);
    Bytes expected = modified.Merged();
    Repair(expected, 2 * kS);
    EXPECT_TRUE(original.Read(files.Files(), "/a") == expected);
}

}  // namespace
