#include "commands/CueTexts.h"

#include "commands/InfoLines.h"
#include "commands/Messages.h"
#include "commands/SectorTexts.h"
#include "kdx/CueImage.h"

namespace commands {

using kdx::CueFault;
using std::to_string;

namespace {

constexpr const char* kInFolder = "track files must lie in the cue sheet's folder";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// What a command's line must hold.
std::string Expected(const std::string& command)
{
    if (command == "FILE") return "FILE needs a file name and a file type";
    if (command == "TRACK") return "TRACK needs a number from 1 to 99 and a mode";
    if (command == "INDEX") return "INDEX needs a number from 0 to 99 and a time mm:ss:ff";
    return command + " needs a time mm:ss:ff";
}

std::string Misplaced(const std::string& command)
{
    if (command == "PREGAP") return "PREGAP belongs before the track's first INDEX, once";
    if (command == "POSTGAP") return "POSTGAP belongs after the track's INDEX 01, once";
    return "INDEX after the track's POSTGAP";
}

std::string Why(const kdx::CueProblem& p)
{
    const std::string file = "the track file " + p.path;
    switch (p.fault) {
    case CueFault::None: return {};
    case CueFault::CantReadSheet: return "can't read " + p.path + ": " + p.reason;
    case CueFault::TooLarge:
        return p.path + " is " + to_string(p.number) + " Bytes long, too long for a cue sheet (at most " +
               to_string(kdx::kCueSheetMax) + ")";
    case CueFault::WideText: return "the sheet is UTF-16 text; only UTF-8 and Windows-1252 sheets are read";
    case CueFault::UnreadableLine: return "the line cannot be read: it holds a control character";
    case CueFault::UnknownCommand: return "unknown command " + Quoted(p.text);
    case CueFault::Malformed: return Expected(p.text);
    case CueFault::UnclosedQuote: return "the quoted file name has no closing quote";
    case CueFault::ExtraText: return "more than " + p.text + " takes on its line";
    case CueFault::BadTime:
        return Quoted(p.text) + " is not a time mm:ss:ff (seconds below 60, frames below 75)";
    case CueFault::UnsupportedFileType:
        return "file type " + Quoted(p.text) + " is not supported: only BINARY track files can be patched";
    case CueFault::BadName: return "the file name " + Quoted(p.text) + " is neither UTF-8 nor Windows-1252 text";
    case CueFault::EmptyName: return "the file name names no file";
    case CueFault::AbsoluteName:
        return "the file name " + Quoted(p.text) + " is an absolute path; " + kInFolder;
    case CueFault::ColonInName:
        return "the file name " + Quoted(p.text) + " holds a colon (a drive or a stream); " + kInFolder;
    case CueFault::ClimbingName:
        return "the file name " + Quoted(p.text) + " climbs to a folder above (\"..\"); " + kInFolder;
    case CueFault::FileNamedTwice:
        return "the file " + Quoted(p.text) + " is named twice (first on line " + to_string(p.number) + ")";
    case CueFault::FileWithoutTrack: return "the file " + Quoted(p.text) + " has no TRACK";
    case CueFault::NoFile: return "the sheet names no FILE";
    case CueFault::TrackBeforeFile: return "TRACK before any FILE";
    case CueFault::TrackOutOfOrder:
        return "track " + to_string(p.number) + " is out of order: track " + to_string(p.other) + " was expected";
    case CueFault::UnsupportedMode:
        return "track mode " + Quoted(p.text) +
               " is not supported (MODE1/2352, MODE2/2352, MODE1/2048, MODE2/2336 and AUDIO are)";
    case CueFault::OutsideTrack: return p.text + " before any TRACK";
    case CueFault::Misplaced: return Misplaced(p.text);
    case CueFault::IndexOutOfOrder:
        return "index " + to_string(p.number) + " is out of order: index " + to_string(p.other) + " was expected";
    case CueFault::TimeGoesBack: return "the time " + p.text + " lies before an earlier INDEX of the same file";
    case CueFault::TrackWithoutIndex1: return "track " + to_string(p.number) + " has no INDEX 01";
    case CueFault::TrackEmpty:
        return "track " + to_string(p.number) + " has no sectors: the next track starts at its INDEX 01";
    case CueFault::FileMissing: return file + " does not exist";
    case CueFault::NotAFile: return p.path + " is not a file";
    case CueFault::OutsideFolder: return file + " leads out of the cue sheet's folder through a link";
    case CueFault::IsTheSheet: return file + " is the cue sheet itself";
    case CueFault::SameFile:
        return file + " is the file named on line " + to_string(p.number) + " under another name";
    case CueFault::HardLinked: return file + " has other names (hard links), which patching it would change too";
    case CueFault::EmptyFile: return file + " is empty";
    case CueFault::NotWholeSectors:
        return file + " is " + to_string(p.number) + " Bytes long, not a whole number of " + to_string(p.other) +
               "-Byte sectors";
    case CueFault::TrackPastEnd: return "track " + to_string(p.number) + " lies past the end of " + p.path;
    case CueFault::CantCheckFile: return "can't check " + p.path + ": " + p.reason;
    }
    return {};
}

}  // namespace

std::string CueProblemText(const kdx::CueProblem& problem)
{
    if (problem.fault == CueFault::None) return {};
    const std::string where = problem.line > 0 ? "Cue sheet line " + to_string(problem.line) : "Cue sheet";
    return where + ": " + Why(problem) + ".";
}

std::vector<std::string> CueTrackLines(const kdx::CueImage& cue, const std::string& cuePath)
{
    const std::size_t n = cue.files.size();
    std::vector<std::string> lines = {Labelled(
        "Cue sheet", cuePath + " (" + to_string(n) + (n == 1 ? " track file, " : " track files, ") + Bytes(cue.length) + ")")};
    for (const kdx::CueImageTrack& t : cue.tracks) {
        const std::int64_t bytes = t.sectors * kdx::CueSectorSize(t.mode);
        lines.push_back(Labelled(TrackLabel(t.number), std::string(kdx::CueModeName(t.mode)) + ", " + cue.files[t.file].name +
                                                           ", sector " + to_string(t.firstSector) + ", " +
                                                           to_string(t.sectors) + (t.sectors == 1 ? " sector (" : " sectors (") +
                                                           Bytes(bytes) + ")"));
    }
    return lines;
}

std::string MergeErrorText(const kdx::MergeResult& r)
{
    const std::string reason = kdx::SystemErrorText(r.error);
    switch (r.status) {
    case kdx::MergeStatus::Written: return {};
    case kdx::MergeStatus::NotACueSheet: return "The image is one file already, there is nothing to merge (" + r.path + ").";
    case kdx::MergeStatus::NameQuoted: return "A cue sheet cannot name a file whose name holds a quote (" + r.path + ").";
    case kdx::MergeStatus::NotMergeable:
        return "The cue sheet's tracks cannot be put into one file as it lays them out (an INDEX lies past the end of "
               "its track file).";
    case kdx::MergeStatus::SheetIsImage: return "The merged image and its cue sheet would be one file (" + r.path + ").";
    case kdx::MergeStatus::WouldReplace: return "That would replace a file of the image being merged (" + r.path + ").";
    case kdx::MergeStatus::Exists: return r.path + " exists already; --yes replaces it.";
    case kdx::MergeStatus::CantRead: return "Can't read the track file (" + r.path + "): " + reason + ".";
    case kdx::MergeStatus::Changed: return "A track file changed while it was read (" + r.path + ").";
    case kdx::MergeStatus::CantCreate: return "Can't create the file (" + r.path + "): " + reason + ".";
    case kdx::MergeStatus::CantWrite: return "Can't write the file (" + r.path + "): " + reason + ".";
    case kdx::MergeStatus::CantPlace: return "Can't put the file in place (" + r.path + "): " + reason + ".";
    }
    return {};
}

std::string MergeWrittenText(const kdx::MergeResult& r, const std::string& sheetPath)
{
    return "Image written as one file (" + r.path + ", " + Bytes(r.length) + ") with its cue sheet (" + sheetPath + ")";
}

std::string ImageOpenText(const kdx::ImageOpenResult& opened)
{
    switch (opened.status) {
    case kdx::ImageOpenStatus::Opened: return {};
    case kdx::ImageOpenStatus::CantOpen: return text::CantOpenImage(opened.path);
    case kdx::ImageOpenStatus::NotCdImage: return text::NotCdImage(opened.path);
    case kdx::ImageOpenStatus::CueRefused: return CueProblemText(opened.problem);
    case kdx::ImageOpenStatus::Changed: return text::TrackFileChanged(opened.path);
    }
    return {};
}

}  // namespace commands
