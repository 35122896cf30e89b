// Cue sheets read as text: the files and tracks of good sheets, the line and
// reason of every refusal, names as text, and telling a sheet from other files.
#include "commands/CueTexts.h"
#include "kdx/CueNames.h"
#include "kdx/CueSheet.h"
#include "kdx/ImageKind.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using kdx::CueMode;

namespace {

struct Track {
    int number;
    CueMode mode;
    std::size_t file;
    std::int64_t start;
    std::int64_t index1;
};

TEST(CueSheetTest, ReadsGoodSheets)
{
    const struct {
        const char* what;
        std::string sheet;
        std::vector<std::string> files;
        std::vector<Track> tracks;
    } cases[] = {
        {"one file a track, names with blanks and brackets, CRLF",
         "FILE \"Game (Europe) (En,Fr) [!] (Track 1).bin\" BINARY\r\n"
         "  TRACK 01 MODE1/2352\r\n"
         "    INDEX 01 00:00:00\r\n"
         "FILE \"Game (Europe) (En,Fr) [!] (Track 2).bin\" BINARY\r\n"
         "  TRACK 02 AUDIO\r\n"
         "    INDEX 00 00:00:00\r\n"
         "    INDEX 01 00:02:00\r\n"
         "FILE \"Game (Europe) (En,Fr) [!] (Track 3).bin\" BINARY\r\n"
         "  TRACK 03 AUDIO\r\n"
         "    INDEX 00 00:00:00\r\n"
         "    INDEX 01 00:02:00\r\n",
         {"Game (Europe) (En,Fr) [!] (Track 1).bin", "Game (Europe) (En,Fr) [!] (Track 2).bin",
          "Game (Europe) (En,Fr) [!] (Track 3).bin"},
         {{1, CueMode::Mode1_2352, 0, 0, 0}, {2, CueMode::Audio, 1, 0, 150}, {3, CueMode::Audio, 2, 0, 150}}},
        {"BOM, lone CRs, tabs, lower case, unquoted name in a subfolder with a backslash, what is kept out of the way",
         "\xEF\xBB\xBFREM GENRE Game\rCATALOG 0000000000000\rPERFORMER \"Someone\"\rTITLE \"A Disc\"\r"
         "CDTEXTFILE \"disc.cdt\"\rfile tracks\\data.bin binary\r\ttrack 1 mode2/2352\r\t\tFLAGS DCP\r"
         "\t\tISRC ABCDE1234567\r\t\tTITLE x\r\t\tSONGWRITER \"y\"\r\t\tPREGAP 00:02:00\r\t\tindex 1 00:00:00\r"
         "\t\tPOSTGAP 00:02:00\r",
         {"tracks/data.bin"},
         {{1, CueMode::Mode2_2352, 0, 0, 0}}},
        {"tracks of several modes in one file: each starts at INDEX 00, else INDEX 01",
         "FILE \"Disc.bin\" BINARY\n"
         "  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 10:00:00\n    INDEX 01 10:02:00\n    INDEX 02 10:30:00\n"
         "  TRACK 03 AUDIO\n    INDEX 01 12:00:00\n",
         {"Disc.bin"},
         {{1, CueMode::Mode1_2048, 0, 0, 0}, {2, CueMode::Audio, 0, 45000, 45150}, {3, CueMode::Audio, 0, 54000, 54000}}},
        {"a file's first track starts at the file's start, before its first INDEX; minutes past 99",
         "FILE long.bin BINARY\n  TRACK 01 MODE2/2336\n    INDEX 01 00:02:00\n"
         "  TRACK 02 MODE1/2352\n    INDEX 01 120:00:74\n",
         {"long.bin"},
         {{1, CueMode::Mode2_2336, 0, 0, 150}, {2, CueMode::Mode1_2352, 0, 540074, 540074}}},
        {"unquoted names keep their blanks; dot parts and doubled slashes drop; numbering may start past 1",
         "FILE Game (Track 5).bin BINARY\n  TRACK 05 AUDIO\n    INDEX 01 00:00:00\n"
         "FILE \"./sub//Game (Track 6).bin\" BINARY\n  TRACK 06 AUDIO\n    INDEX 01 00:00:00\n",
         {"Game (Track 5).bin", "sub/Game (Track 6).bin"},
         {{5, CueMode::Audio, 0, 0, 0}, {6, CueMode::Audio, 1, 0, 0}}},
        {"a Windows-1252 name becomes UTF-8; a UTF-8 name stays",
         "FILE \"Caf\xE9 \x96 Disc (Track 1).bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
         "FILE \"Caf\xC3\xA9 \xE2\x84\xA2 (Track 2).bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00",
         {"Caf\xC3\xA9 \xE2\x80\x93 Disc (Track 1).bin", "Caf\xC3\xA9 \xE2\x84\xA2 (Track 2).bin"},
         {{1, CueMode::Mode1_2352, 0, 0, 0}, {2, CueMode::Audio, 1, 0, 0}}},
    };
    for (const auto& c : cases) {
        const kdx::CueSheetResult r = kdx::ReadCueSheet(c.sheet);
        ASSERT_TRUE(r.ok()) << c.what << ": " << commands::CueProblemText(r.problem);
        std::vector<std::string> files;
        for (const auto& f : r.sheet.files) files.push_back(f.name);
        EXPECT_EQ(files, c.files) << c.what;
        ASSERT_EQ(r.sheet.tracks.size(), c.tracks.size()) << c.what;
        for (std::size_t i = 0; i < c.tracks.size(); ++i) {
            const kdx::CueSheetTrack& t = r.sheet.tracks[i];
            const Track& e = c.tracks[i];
            EXPECT_EQ(t.number, e.number) << c.what;
            EXPECT_EQ(t.mode, e.mode) << c.what << ", track " << e.number;
            EXPECT_EQ(t.file, e.file) << c.what << ", track " << e.number;
            EXPECT_EQ(t.start, e.start) << c.what << ", track " << e.number;
            EXPECT_EQ(t.index1, e.index1) << c.what << ", track " << e.number;
        }
    }
}

TEST(CueSheetTest, RefusesWithTheLineAndTheReason)
{
    const std::string one = "FILE \"a.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n";
    const struct {
        std::string sheet;
        const char* text;
    } cases[] = {
        {"FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         "Cue sheet line 1: file type \"WAVE\" is not supported: only BINARY track files can be patched."},
        {one + "FILE \"b.mp3\" MP3\n",
         "Cue sheet line 4: file type \"MP3\" is not supported: only BINARY track files can be patched."},
        {one + "FILE b.bin MOTOROLA\n",
         "Cue sheet line 4: file type \"MOTOROLA\" is not supported: only BINARY track files can be patched."},
        {one + "FILE \"./a.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
         "Cue sheet line 4: the file \"a.bin\" is named twice (first on line 1)."},
        {"FILE \"sub\\a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\nFILE sub/a.bin BINARY\n",
         "Cue sheet line 4: the file \"sub/a.bin\" is named twice (first on line 1)."},
        {"FILE \"a.bin\" BINARY\n  TRACK 01 MODE1/2352\x01\n",
         "Cue sheet line 2: the line cannot be read: it holds a control character."},
        {std::string("FILE \"a.bin\" BINARY\r\n\0", 22), "Cue sheet line 2: the line cannot be read: it holds a control character."},
        {"\xFF\xFE" "F\0I\0", "Cue sheet: the sheet is UTF-16 text; only UTF-8 and Windows-1252 sheets are read."},
        {"FILE \"a.bin\" BINARY\n  TRAK 01 AUDIO\n", "Cue sheet line 2: unknown command \"TRAK\"."},
        {"REM x\n  TRACK 01 AUDIO\n", "Cue sheet line 2: TRACK before any FILE."},
        {"FILE \"a.bin\" BINARY\n" + one, "Cue sheet line 1: the file \"a.bin\" has no TRACK."},
        {one + "FILE \"b.bin\" BINARY\n\n", "Cue sheet line 4: the file \"b.bin\" has no TRACK."},
        {one + "  TRACK 03 AUDIO\n    INDEX 01 00:01:00\n",
         "Cue sheet line 4: track 3 is out of order: track 2 was expected."},
        {one + "  TRACK 01 AUDIO\n", "Cue sheet line 4: track 1 is out of order: track 2 was expected."},
        {"FILE a.bin BINARY\n  TRACK 00 AUDIO\n", "Cue sheet line 2: TRACK needs a number from 1 to 99 and a mode."},
        {"FILE a.bin BINARY\n  TRACK 100 AUDIO\n", "Cue sheet line 2: TRACK needs a number from 1 to 99 and a mode."},
        {"FILE a.bin BINARY\n  TRACK 01\n", "Cue sheet line 2: TRACK needs a number from 1 to 99 and a mode."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO x\n", "Cue sheet line 2: more than TRACK takes on its line."},
        {"FILE a.bin BINARY\n  TRACK 01 MODE2/2048\n",
         "Cue sheet line 2: track mode \"MODE2/2048\" is not supported (MODE1/2352, MODE2/2352, MODE1/2048, "
         "MODE2/2336 and AUDIO are)."},
        {"FILE a.bin BINARY\n  FLAGS DCP\n", "Cue sheet line 2: FLAGS before any TRACK."},
        {"FILE a.bin BINARY\n  INDEX 01 00:00:00\n", "Cue sheet line 2: INDEX before any TRACK."},
        {"FILE a.bin BINARY\n  PREGAP 00:02:00\n", "Cue sheet line 2: PREGAP before any TRACK."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 02 00:00:00\n",
         "Cue sheet line 3: index 2 is out of order: index 1 was expected."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 02 00:02:00\n",
         "Cue sheet line 4: index 2 is out of order: index 1 was expected."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:60:00\n",
         "Cue sheet line 3: \"00:60:00\" is not a time mm:ss:ff (seconds below 60, frames below 75)."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:75\n",
         "Cue sheet line 3: \"00:00:75\" is not a time mm:ss:ff (seconds below 60, frames below 75)."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:02\n",
         "Cue sheet line 3: \"00:02\" is not a time mm:ss:ff (seconds below 60, frames below 75)."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 0a:00:00\n",
         "Cue sheet line 3: \"0a:00:00\" is not a time mm:ss:ff (seconds below 60, frames below 75)."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01\n",
         "Cue sheet line 3: INDEX needs a number from 0 to 99 and a time mm:ss:ff."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00 00:00:01\n",
         "Cue sheet line 3: more than INDEX takes on its line."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:10:00\n  TRACK 02 AUDIO\n    INDEX 01 00:09:74\n",
         "Cue sheet line 5: the time 00:09:74 lies before an earlier INDEX of the same file."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:10:00\n  TRACK 02 AUDIO\n    INDEX 00 00:10:00\n",
         "Cue sheet line 5: track 1 has no sectors: the next track starts at its INDEX 01."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n",
         "Cue sheet line 2: track 1 has no INDEX 01."},
        {one + "  TRACK 02 AUDIO\n    INDEX 00 00:04:00\n\n", "Cue sheet line 4: track 2 has no INDEX 01."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    PREGAP 00:02:00\n",
         "Cue sheet line 4: PREGAP belongs before the track's first INDEX, once."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    PREGAP 00:02:00\n    PREGAP 00:02:00\n",
         "Cue sheet line 4: PREGAP belongs before the track's first INDEX, once."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    POSTGAP 00:02:00\n",
         "Cue sheet line 4: POSTGAP belongs after the track's INDEX 01, once."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    POSTGAP 00:02:00\n    INDEX 02 00:03:00\n",
         "Cue sheet line 5: INDEX after the track's POSTGAP."},
        {"FILE a.bin BINARY\n  TRACK 01 AUDIO\n    PREGAP\n", "Cue sheet line 3: PREGAP needs a time mm:ss:ff."},
        {"FILE \"a.bin BINARY\n", "Cue sheet line 1: the quoted file name has no closing quote."},
        {"FILE \"a.bin\"\n", "Cue sheet line 1: FILE needs a file name and a file type."},
        {"FILE a.bin\n", "Cue sheet line 1: FILE needs a file name and a file type."},
        {"FILE \"a.bin\"BINARY\n", "Cue sheet line 1: FILE needs a file name and a file type."},
        {"FILE \"a.bin\" BINARY x\n", "Cue sheet line 1: more than FILE takes on its line."},
        {"FILE \"\" BINARY\n", "Cue sheet line 1: the file name names no file."},
        {"FILE \"./\" BINARY\n", "Cue sheet line 1: the file name names no file."},
        {"FILE \"x\x81.bin\" BINARY\n",
         "Cue sheet line 1: the file name \"x\xEF\xBF\xBD.bin\" is neither UTF-8 nor Windows-1252 text."},
        {"REM nothing else\r\n", "Cue sheet: the sheet names no FILE."},
        {"", "Cue sheet: the sheet names no FILE."},
    };
    for (const auto& c : cases) {
        const kdx::CueSheetResult r = kdx::ReadCueSheet(c.sheet);
        EXPECT_EQ(commands::CueProblemText(r.problem), c.text) << c.sheet;
        EXPECT_TRUE(r.sheet.files.empty() && r.sheet.tracks.empty()) << c.sheet;
    }
}

// A name may never reach out of the sheet's folder, on either system.
TEST(CueSheetTest, RefusesNamesOutsideTheFolder)
{
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"/etc/passwd", "the file name \"/etc/passwd\" is an absolute path"},
        {"\\x.bin", "the file name \"\\x.bin\" is an absolute path"},
        {"\\\\server\\share\\x.bin", "the file name \"\\\\server\\share\\x.bin\" is an absolute path"},
        {"//server/share/x.bin", "the file name \"//server/share/x.bin\" is an absolute path"},
        {"C:\\Users\\x.bin", "the file name \"C:\\Users\\x.bin\" is an absolute path"},
        {"c:x.bin", "the file name \"c:x.bin\" is an absolute path"},
        {"a.bin:stream", "the file name \"a.bin:stream\" holds a colon (a drive or a stream)"},
        {"../x.bin", "the file name \"../x.bin\" climbs to a folder above"},
        {"sub/../../x.bin", "the file name \"sub/../../x.bin\" climbs to a folder above"},
        {"sub\\..\\x.bin", "the file name \"sub\\..\\x.bin\" climbs to a folder above"},
        {"..", "the file name \"..\" climbs to a folder above"},
        {".../x.bin", "the file name \".../x.bin\" climbs to a folder above"},
        {".. /x.bin", "the file name \".. /x.bin\" climbs to a folder above"},
    };
    for (const auto& c : cases) {
        const std::string sheet = "FILE \"" + std::string(c.name) + "\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
        const kdx::CueSheetResult r = kdx::ReadCueSheet(sheet);
        const std::string text = commands::CueProblemText(r.problem);
        EXPECT_EQ(text.substr(0, 18), "Cue sheet line 1: ") << c.name;
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
    }
}

TEST(CueSheetTest, NamesAreUtf8OrElseWindows1252)
{
    const struct {
        const char* bytes;
        const char* utf8;  // nullptr: refused
    } cases[] = {
        {"plain.bin", "plain.bin"},
        {"\xF0\x9F\x98\x80.bin", "\xF0\x9F\x98\x80.bin"},     // four bytes of UTF-8, kept
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                    // an overlong form is no UTF-8
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},    // nor is a surrogate
        {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},                 // nor a cut sequence
        {"\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},      // nor a slash in three bytes
        {"\x80\x9F\xFF", "\xE2\x82\xAC\xC5\xB8\xC3\xBF"},      // the code page's own 80..9F
        {"\xF4\x90\x80\x80", nullptr},                      // past U+10FFFF, and 90 is undefined
        {"x\x8D", nullptr},
        {"x\x81", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> utf8 = kdx::NameToUtf8(c.bytes);
        ASSERT_EQ(utf8.has_value(), c.utf8 != nullptr) << c.bytes;
        if (utf8) {
            EXPECT_EQ(*utf8, c.utf8);
        }
    }
    EXPECT_EQ(kdx::ShownText(std::string(81, 'a')), std::string(80, 'a') + "...");
    EXPECT_EQ(kdx::ShownText(std::string(80, 'a')), std::string(80, 'a'));
    std::string accents;
    for (int i = 0; i < 81; ++i) accents += "\xC3\xA9";
    EXPECT_EQ(kdx::ShownText(accents), accents.substr(0, 160) + "...") << "cut between characters";
}

TEST(CueSheetTest, TellsSheetsFromOtherTextAndImages)
{
    const struct {
        std::string head;
        kdx::ImageKind kind;
    } cases[] = {
        {"FILE \"a.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n", kdx::ImageKind::CueSheet},
        {"\xEF\xBB\xBFREM x\n\nTITLE \"y\"\n\tfile a.bin binary", kdx::ImageKind::CueSheet},
        {"FILE \"a.wav\" WAVE\n", kdx::ImageKind::CueSheet},  // refused later, with its reason
        {"REM a batch file\r\n@echo off\r\n", kdx::ImageKind::Text},
        {"TITLE \"no file\"\n", kdx::ImageKind::Text},
        {"Read me first\nFILE a.bin BINARY\n", kdx::ImageKind::Text},
        {"REM x\nRead me first\nFILE a.bin BINARY\n", kdx::ImageKind::Text},
        {"TRACK 01 AUDIO\nFILE a.bin BINARY\n", kdx::ImageKind::Text},
        {"FILE\n", kdx::ImageKind::Text},
        {"\xFF\xFE" "F\0I\0L\0E\0", kdx::ImageKind::Text},
        {"\xC9\xCD\xBB ANSI art\x1B[0m\r\n\x1A", kdx::ImageKind::Text},
        {"", kdx::ImageKind::Other},
        {"one line, no end", kdx::ImageKind::Other},
        // A control byte after a sheet's opening is the reader's to refuse: such a sheet is never patched.
        {std::string("FILE a.bin BINARY\n\0", 19), kdx::ImageKind::CueSheet},
        {"FILE a.bin BINARY\n\x7F", kdx::ImageKind::CueSheet},
        {std::string("REM \0\nFILE a.bin BINARY\n", 24), kdx::ImageKind::CueSheet},
        {std::string("\0\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\0", 12), kdx::ImageKind::Other},
        {std::string("\0FILE a.bin BINARY\n", 19), kdx::ImageKind::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(kdx::ClassifyImage(c.head), c.kind) << c.head;
}

}  // namespace
