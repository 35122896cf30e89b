// The image behind a cue sheet: its track files in order, as one byte
// range (the one-file image that merging them gives), and where each track
// lies in it. A cue sheet comes from outside, so every file it names is
// checked to lie inside the sheet's folder, links followed, before anyone
// opens it for writing.
#pragma once

#include "kdx/CueSheet.h"
#include "kdx/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kdx {

// Longer files are no cue sheet (99 tracks take a few KiB).
inline constexpr std::int64_t kCueSheetMax = std::int64_t{1} << 20;

struct CueImageFile {
    std::string name;         // as the sheet names it (relative, '/' between parts)
    std::string path;         // the file itself, links resolved: what to open
    std::int64_t offset = 0;  // where it begins in the range
    std::int64_t length = 0;
    FileFacts checked{};      // the file as it was checked: what its open handle must still be
};

struct CueImageTrack {
    int number = 0;
    CueMode mode = CueMode::Mode1_2352;
    std::size_t file = 0;          // index into CueImage::files
    std::int64_t firstSector = 0;  // sectors of the tracks before it
    std::int64_t sectors = 0;      // its length in sectors of its mode, gap included
    std::int64_t offset = 0;       // its first byte in the range
};

// The tracks cover the range without gap or overlap, in order.
struct CueImage {
    std::vector<CueImageFile> files;
    std::vector<CueImageTrack> tracks;
    std::int64_t length = 0;  // bytes of the whole range
    std::string sheet;        // the sheet's bytes as they were read (ReadCueImage)
};

struct CueImageResult {
    CueProblem problem;
    CueImage image;  // empty unless ok()

    bool ok() const { return problem.fault == CueFault::None; }
};

// Lays a read sheet's tracks over its files, given each file's name, path
// and length in files (as many as the sheet has). Refuses an empty file,
// a file whose length is not a whole number of its last track's sectors,
// and a track that starts, or has its INDEX 01, at or past its file's end.
CueImageResult LayOutCueImage(const CueSheet& sheet, std::vector<CueImageFile> files);

// Reads the cue sheet at cuePath (UTF-8) and checks every file it names:
// there, a plain file, not the sheet itself, not named twice under other
// names, with no other hard link, and inside the sheet's folder once its
// links are resolved (a link that stays inside is fine). Then lays the
// tracks out. Opens nothing for writing; the first problem found is
// returned. Everything goes through files.
CueImageResult ReadCueImage(const std::string& cuePath, FileSystem& files = SystemFiles());

}  // namespace kdx
