// Cue sheets read as text: the track files a sheet names and the tracks in
// them, or the first line that is refused and why. Reading touches no file;
// the files themselves are checked by ReadCueImage (kdx/CueImage.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdx {

enum class CueMode { Mode1_2352, Mode2_2352, Mode1_2048, Mode2_2336, Audio };

// Bytes of one sector of the mode in a track file.
int CueSectorSize(CueMode mode);
// The mode as a sheet writes it: "MODE1/2352", "AUDIO".
const char* CueModeName(CueMode mode);

enum class CueFault {
    None,
    // The sheet as text.
    CantReadSheet,       // path, reason
    TooLarge,            // number: its length
    WideText,            // UTF-16 (line 0)
    UnreadableLine,      // a control character or a NUL
    UnknownCommand,      // text: the word
    Malformed,           // text: the command whose arguments are wrong or missing
    UnclosedQuote,
    ExtraText,           // text: the command followed by more than it takes
    BadTime,             // text: the time as written
    // FILE lines.
    UnsupportedFileType, // text: the type
    BadName,             // text: the name, shown; neither UTF-8 nor Windows-1252
    EmptyName,
    AbsoluteName,        // text: the name
    ColonInName,         // text: the name
    ClimbingName,        // text: the name
    FileNamedTwice,      // text: the name; number: the line that named it first
    FileWithoutTrack,    // text: the name
    NoFile,              // line 0
    // TRACK, INDEX and what belongs to a track.
    TrackBeforeFile,
    TrackOutOfOrder,     // number: the track; other: the number expected
    UnsupportedMode,     // text: the mode
    OutsideTrack,        // text: the command
    Misplaced,           // text: the command (PREGAP after an INDEX, POSTGAP before INDEX 01, INDEX after POSTGAP, twice)
    IndexOutOfOrder,     // number: the index; other: the number expected
    TimeGoesBack,        // text: the time
    TrackWithoutIndex1,  // number: the track
    TrackEmpty,          // number: the track that has no sector from its INDEX 01 on
    // The track files on disk (ReadCueImage).
    FileMissing,         // path
    NotAFile,            // path: a folder, a device, a pipe
    OutsideFolder,       // path: reaches out of the sheet's folder through a link
    IsTheSheet,          // path
    SameFile,            // path; number: the line that named it first
    HardLinked,          // path: the file has other names, which may lie anywhere
    EmptyFile,           // path
    NotWholeSectors,     // path; number: its length; other: the sector size
    TrackPastEnd,        // path; number: the track that starts (or whose INDEX 01 lies) at or past the file's end
    CantCheckFile        // path, reason
};

// Why a cue sheet is refused: the fault, its line and what it concerns.
struct CueProblem {
    CueFault fault = CueFault::None;
    int line = 0;             // counted from 1; 0 for the sheet as a whole
    std::string text;         // the word, name, mode or time concerned, as UTF-8
    std::string path;         // the file concerned
    std::string reason;       // the system's words
    std::int64_t number = 0;
    std::int64_t other = 0;
};

struct CueSheetFile {
    std::string name;  // relative to the sheet's folder, UTF-8, parts separated by '/'
    int line = 0;
};

struct CueSheetTrack {
    int number = 0;
    CueMode mode = CueMode::Mode1_2352;
    int line = 0;
    std::size_t file = 0;     // index into CueSheet::files
    std::int64_t start = 0;   // its first sector in its file: INDEX 00, else INDEX 01; 0 for a file's first track
    std::int64_t index1 = 0;  // the sector of INDEX 01 in its file
};

// A sheet that was read: every file has a track, tracks are numbered one
// after another and lie in the order of their files.
struct CueSheet {
    std::vector<CueSheetFile> files;
    std::vector<CueSheetTrack> tracks;
};

struct CueSheetResult {
    CueProblem problem;
    CueSheet sheet;  // empty unless ok()

    bool ok() const { return problem.fault == CueFault::None; }
};

// Reads a cue sheet's bytes (UTF-8, with or without a byte order mark, or
// Windows-1252; lines ending in CR, LF or both). Keywords are read in any
// case. Refuses, with the line, whatever it cannot take as a sheet of
// BINARY track files; never opens a file.
CueSheetResult ReadCueSheet(std::string_view bytes);

// Hands each line of a sheet's bytes to line (a byte order mark skipped;
// lines end in CR, LF or both) until it answers false.
void ForEachCueLine(std::string_view bytes, const std::function<bool(std::string_view)>& line);
// Splits the first word (a run without blanks) off text; text keeps the rest, trimmed.
std::string_view TakeCueWord(std::string_view& text);
// mm:ss:ff as a count of sectors (75 a second), minutes up to three
// digits; nothing when the text is no such time.
std::optional<std::int64_t> CueTime(std::string_view text);
// A count of sectors as mm:ss:ff.
std::string CueTimeText(std::int64_t sectors);

// True when the word (in any case) is a command that may come before a
// sheet's first FILE: CATALOG, CDTEXTFILE, FILE, PERFORMER, REM, SONGWRITER, TITLE.
bool IsSheetHeadCommand(std::string_view word);

}  // namespace kdx
