// The image behind a cue sheet: track files laid out as one range, and
// every way a sheet could reach a file outside its folder, with real files
// and links in a temporary folder.
#include "commands/CueTexts.h"
#include "kdx/CueImage.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using kdx::CueMode;
using testsupport::Bytes;
using testsupport::TempDir;

namespace fs = std::filesystem;

namespace {

fs::path P(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

struct Placed {
    int number;
    CueMode mode;
    std::size_t file;
    std::int64_t firstSector;
    std::int64_t sectors;
    std::int64_t offset;
};

void ExpectTracks(const kdx::CueImage& image, const std::vector<Placed>& expected)
{
    ASSERT_EQ(image.tracks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const kdx::CueImageTrack& t = image.tracks[i];
        const Placed& e = expected[i];
        EXPECT_EQ(t.number, e.number);
        EXPECT_EQ(t.mode, e.mode) << "track " << e.number;
        EXPECT_EQ(t.file, e.file) << "track " << e.number;
        EXPECT_EQ(t.firstSector, e.firstSector) << "track " << e.number;
        EXPECT_EQ(t.sectors, e.sectors) << "track " << e.number;
        EXPECT_EQ(t.offset, e.offset) << "track " << e.number;
    }
}

// A sheet and its track files in a folder of their own.
class Dump {
public:
    Dump() { fs::create_directory(dir_.Path() / "dump"); }
    std::string In(const std::string& name) const { return dir_.File("dump/" + name); }
    // The path as a refusal shows it: the system's separators.
    std::string Shown(const std::string& name) const
    {
        const std::u8string shown = P(In(name)).make_preferred().u8string();
        return {shown.begin(), shown.end()};
    }
    std::string Outside(const std::string& name) const { return dir_.File(name); }
    void Put(const std::string& name, std::size_t length) const { testsupport::WriteFile(In(name), Bytes(length, 0x5A)); }
    kdx::CueImageResult Read(const std::string& sheet) const
    {
        testsupport::WriteFile(In("Game.cue"), testsupport::Text(sheet));
        return kdx::ReadCueImage(In("Game.cue"));
    }

private:
    TempDir dir_;
};

std::string OneTrack(const std::string& name, const char* mode = "MODE1/2352")
{
    return "FILE \"" + name + "\" BINARY\n  TRACK 01 " + mode + "\n    INDEX 01 00:00:00\n";
}

TEST(CueImageTest, LaysTrackFilesOutInOrderAsOneRange)
{
    struct File {
        std::string name;  // on disk, UTF-8
        std::int64_t length;
        std::int64_t offset;
    };
    const struct {
        const char* what;
        std::string sheet;
        std::vector<File> files;
        std::int64_t length;
        std::vector<Placed> tracks;
    } cases[] = {
        {"a Mode 1 data track and two audio tracks, one file each",
         "FILE \"Game (Track 1).bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
         "FILE \"Game (Track 2).bin\" BINARY\r\n  TRACK 02 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:00:02\r\n"
         "FILE \"Game (Track 3).bin\" BINARY\r\n  TRACK 03 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:00:01\r\n",
         {{"Game (Track 1).bin", 23520, 0}, {"Game (Track 2).bin", 9408, 23520}, {"Game (Track 3).bin", 7056, 32928}},
         39984,
         {{1, CueMode::Mode1_2352, 0, 0, 10, 0}, {2, CueMode::Audio, 1, 10, 4, 23520}, {3, CueMode::Audio, 2, 14, 3, 32928}}},
        {"two sector sizes in one file, then a Mode 2 file with a Windows-1252 name",
         "FILE Disc.bin BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:00:05\n    INDEX 01 00:00:07\n"
         "FILE \"Caf\xE9 (Track 3).bin\" BINARY\n  TRACK 03 MODE2/2336\n    INDEX 01 00:00:00\n",
         {{"Disc.bin", 19648, 0}, {"Caf\xC3\xA9 (Track 3).bin", 4672, 19648}},
         24320,
         {{1, CueMode::Mode1_2048, 0, 0, 5, 0}, {2, CueMode::Audio, 0, 5, 4, 10240}, {3, CueMode::Mode2_2336, 1, 9, 2, 19648}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Dump dump;
        for (const File& f : c.files) dump.Put(f.name, static_cast<std::size_t>(f.length));
        const kdx::CueImageResult r = dump.Read(c.sheet);
        ASSERT_TRUE(r.ok()) << commands::CueProblemText(r.problem);
        ASSERT_EQ(r.image.files.size(), c.files.size());
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const File& f = c.files[i];
            EXPECT_EQ(r.image.files[i].name, f.name);
            EXPECT_TRUE(fs::equivalent(P(r.image.files[i].path), P(dump.In(f.name))));
            EXPECT_EQ(r.image.files[i].offset, f.offset);
            EXPECT_EQ(r.image.files[i].length, f.length);
            EXPECT_FALSE(testsupport::HeldOpen(dump.In(f.name)));
        }
        EXPECT_EQ(r.image.length, c.length);
        ExpectTracks(r.image, c.tracks);
        EXPECT_FALSE(testsupport::HeldOpen(dump.In("Game.cue")));
    }
}

// Lengths that do not fit the sheet, laid out without a disk.
TEST(CueImageTest, RefusesLengthsThatDoNotFitTheTracks)
{
    const std::string split = OneTrack("a.bin") + "FILE \"b.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:02\n";
    const std::string joined = "FILE \"a.bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
                               "  TRACK 02 AUDIO\n    INDEX 00 00:00:10\n    INDEX 01 00:00:12\n";
    const struct {
        const std::string& sheet;
        std::vector<std::int64_t> lengths;
        const char* text;  // nullptr: laid out
    } cases[] = {
        {split, {2352, 3 * 2352}, nullptr},
        {split, {0, 3 * 2352}, "Cue sheet line 1: the track file a.bin is empty."},
        {split, {2352, 2352 * 3 + 1}, "Cue sheet line 4: the track file b.bin is 7057 Bytes long, not a whole number of 2352-Byte sectors."},
        {split, {2351, 2352}, "Cue sheet line 1: the track file a.bin is 2351 Bytes long, not a whole number of 2352-Byte sectors."},
        {split, {2352, 2 * 2352}, "Cue sheet line 5: track 2 lies past the end of b.bin."},
        {joined, {10 * 2048 + 3 * 2352, 0}, nullptr},
        {joined, {10 * 2048 + 2 * 2352, 0}, "Cue sheet line 4: track 2 lies past the end of a.bin."},
        {joined, {10 * 2048 + 2 * 2352 + 1, 0}, "Cue sheet line 1: the track file a.bin is 25185 Bytes long, not a whole number of 2352-Byte sectors."},
        {joined, {10 * 2048, 0}, "Cue sheet line 4: track 2 lies past the end of a.bin."},
        {joined, {9 * 2048, 0}, "Cue sheet line 4: track 2 lies past the end of a.bin."},
    };
    for (const auto& c : cases) {
        const kdx::CueSheetResult read = kdx::ReadCueSheet(c.sheet);
        ASSERT_TRUE(read.ok());
        std::vector<kdx::CueImageFile> files;
        for (std::size_t i = 0; i < read.sheet.files.size(); ++i)
            files.push_back({read.sheet.files[i].name, read.sheet.files[i].name, 0, c.lengths[i]});
        const kdx::CueImageResult r = kdx::LayOutCueImage(read.sheet, files);
        EXPECT_EQ(commands::CueProblemText(r.problem), c.text ? c.text : "") << c.lengths[0] << " " << c.lengths[1];
        EXPECT_EQ(r.ok(), r.image.tracks.size() == read.sheet.tracks.size());
    }
}

// A sheet comes with a download: it must never reach a file of the user's outside its folder.
TEST(CueImageTest, RefusesFilesOutsideTheFolderOrNotThere)
{
    struct Case {
        const char* what;
        std::string sheet;
        std::string text;  // empty: accepted
    };
    Dump dump;
    dump.Put("inside.bin", 2352);
    dump.Put("other.bin", 2352);
    testsupport::WriteFile(dump.Outside("outside.bin"), Bytes(2352, 1));
    fs::create_directory(dump.Outside("elsewhere"));
    testsupport::WriteFile(dump.Outside("elsewhere/x.bin"), Bytes(2352, 1));
    fs::create_directory(dump.In("folder"));
    const Bytes empty;
    testsupport::WriteFile(dump.In("empty.bin"), empty);

    std::error_code linked;
    fs::create_symlink("../outside.bin", P(dump.In("out.bin")), linked);
    const bool links = !linked;
    if (links) {
        fs::create_symlink("inside.bin", P(dump.In("same.bin")));
        fs::create_symlink("folder/../inside.bin", P(dump.In("round.bin")));
        fs::create_symlink("out.bin", P(dump.In("chain.bin")));
        fs::create_directory_symlink("../elsewhere", P(dump.In("sub")));
        fs::create_symlink("gone.bin", P(dump.In("dangling.bin")));
        fs::create_symlink("loop.bin", P(dump.In("loop.bin")));
    }
    std::error_code hardLinked;
    fs::create_hard_link(P(dump.Outside("outside.bin")), P(dump.In("hard.bin")), hardLinked);
    const auto line1 = [&](const std::string& name, const std::string& why) {
        return "Cue sheet line 1: the track file " + dump.Shown(name) + " " + why + ".";
    };
    const std::vector<Case> always = {
        {"inside", OneTrack("inside.bin"), ""},
        {"missing", OneTrack("gone.bin"), line1("gone.bin", "does not exist")},
        {"a folder", OneTrack("folder"), "Cue sheet line 1: " + dump.Shown("folder") + " is not a file."},
        {"empty", OneTrack("empty.bin"), line1("empty.bin", "is empty")},
        {"the sheet", OneTrack("Game.cue"), line1("Game.cue", "is the cue sheet itself")},
        {"an absolute name of a real file", OneTrack(dump.Outside("outside.bin")),
         "Cue sheet line 1: the file name \"" + dump.Outside("outside.bin") +
             "\" is an absolute path; track files must lie in the cue sheet's folder."},
        {"a climb to a real file", OneTrack("../outside.bin"),
         "Cue sheet line 1: the file name \"../outside.bin\" climbs to a folder above (\"..\"); track files must lie "
         "in the cue sheet's folder."},
    };
    const std::vector<Case> linkCases = {
        {"a link out", OneTrack("out.bin"), line1("out.bin", "leads out of the cue sheet's folder through a link")},
        {"a link to a link out", OneTrack("chain.bin"), line1("chain.bin", "leads out of the cue sheet's folder through a link")},
        {"a linked folder out", OneTrack("sub/x.bin"), line1("sub/x.bin", "leads out of the cue sheet's folder through a link")},
        {"a link inside", OneTrack("same.bin"), ""},
        {"a link that climbs and comes back", OneTrack("round.bin"), ""},
        {"a dangling link", OneTrack("dangling.bin"), line1("dangling.bin", "does not exist")},
        {"one file under two names", OneTrack("inside.bin") + "FILE same.bin BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
         "Cue sheet line 4: the track file " + dump.Shown("same.bin") + " is the file named on line 1 under another name."},
    };
    std::vector<Case> cases = always;
    if (links) cases.insert(cases.end(), linkCases.begin(), linkCases.end());
    if (!hardLinked)
        cases.push_back({"a hard link", OneTrack("hard.bin"),
                         line1("hard.bin", "has other names (hard links), which patching it would change too")});
    for (const Case& c : cases) {
        const kdx::CueImageResult r = dump.Read(c.sheet);
        EXPECT_EQ(commands::CueProblemText(r.problem), c.text) << c.what;
        EXPECT_EQ(r.ok(), !r.image.files.empty()) << c.what;
    }
    if (links) {
        const kdx::CueImageResult r = dump.Read(OneTrack("loop.bin"));
        EXPECT_EQ(r.problem.fault, kdx::CueFault::CantCheckFile);
        EXPECT_EQ(commands::CueProblemText(r.problem).rfind("Cue sheet line 1: can't check " + dump.Shown("loop.bin") + ": ", 0), 0u);
    }
    EXPECT_EQ(testsupport::ReadFile(dump.Outside("outside.bin")), Bytes(2352, 1));
    if (!links || hardLinked)
        GTEST_SKIP() << "links here: symbolic " << linked.message() << ", hard " << hardLinked.message();
}

TEST(CueImageTest, ReachesItsFolderThroughALinkAndRefusesWhatIsNoSheet)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    testsupport::WriteFile(dir.File("real/a.bin"), Bytes(2352, 0));
    testsupport::WriteFile(dir.File("real/Game.cue"), testsupport::Text(OneTrack("a.bin")));
    testsupport::WriteFile(dir.File("big.cue"), Bytes(kdx::kCueSheetMax + 1, ' '));
    const struct {
        std::string cue;
        std::string text;
    } cases[] = {
        {dir.File("real/Game.cue"), ""},
        {dir.File("big.cue"), "Cue sheet: " + dir.File("big.cue") + " is 1048577 Bytes long, too long for a cue sheet (at most 1048576)."},
        {dir.File("real"), "Cue sheet: " + dir.File("real") + " is not a file."},
    };
    for (const auto& c : cases) EXPECT_EQ(commands::CueProblemText(kdx::ReadCueImage(c.cue).problem), c.text);
    const std::string missing = commands::CueProblemText(kdx::ReadCueImage(dir.File("none.cue")).problem);
    EXPECT_EQ(missing.rfind("Cue sheet: can't read " + dir.File("none.cue") + ": ", 0), 0u) << missing;
    EXPECT_GT(missing.size(), 25 + dir.File("none.cue").size()) << "the system's words follow";

    std::error_code linked;
    fs::create_directory_symlink("real", dir.Path() / "link", linked);
    if (linked) GTEST_SKIP() << "no symbolic links here: " << linked.message();
    const kdx::CueImageResult r = kdx::ReadCueImage(dir.File("link/Game.cue"));
    ASSERT_TRUE(r.ok()) << commands::CueProblemText(r.problem);
    EXPECT_TRUE(fs::equivalent(P(r.image.files[0].path), dir.Path() / "real" / "a.bin"));
    EXPECT_EQ(r.image.files[0].path.find("link"), std::string::npos) << "the path to open has its links resolved";
}

}  // namespace
