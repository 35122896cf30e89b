// The image behind a cue sheet merged into one file, for tools that take
// one file only, and the cue sheet that goes with it. Both files are
// written whole or not at all (a temporary file beside each, synced,
// renamed, the folder synced); the track files and their sheet are only read.
#pragma once

#include "kdx/CueImage.h"
#include "kdx/Image.h"
#include "kdx/Observer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kdx {

// The sheet for the image merged into one file named name: the sheet's own
// lines as they stand (texts, flags, gaps), but one FILE line naming name
// and every INDEX moved to where its file begins in the merged file. A
// file's first track starts where its file does: an INDEX 00 there keeps
// the sectors before its first INDEX with it. name must hold no quote.
// Nothing when the sheet so written would not lay its tracks out as image
// does (an INDEX past the end of its file).
std::optional<std::string> MergedCueSheet(const CueImage& image, const std::string& name);

enum class MergeStatus {
    Written,
    NotACueSheet,  // the image is one file already
    NameQuoted,    // path: the merged file's name holds a quote, which no sheet can name
    NotMergeable,  // the sheet's tracks cannot be laid out in one file (MergedCueSheet)
    SheetIsImage,  // path: the sheet and the merged file would be one file
    WouldReplace,  // path: one of the cue sheet's own files
    Exists,        // path: a file of that name is there, and replacing was not asked for
    CantRead,      // path, error: a track file
    Changed,       // path: a track file grew shorter while it was read
    CantCreate,    // path, error
    CantWrite,     // path, error
    CantPlace      // path, error
};

struct MergeResult {
    MergeStatus status = MergeStatus::Written;
    std::string path;
    int error = 0;
    std::int64_t length = 0;  // bytes of the merged image

    bool ok() const { return status == MergeStatus::Written; }
};

struct MergeTarget {
    std::string image;     // the one-file image to write
    std::string sheet;     // its cue sheet
    bool replace = false;  // existing files of those names may be replaced
};

// The sheet beside an image: its name with the last extension (if any) replaced by ".cue".
std::string SheetBeside(const std::string& imagePath);

// Writes the open image (behind a cue sheet) as one file, then its sheet.
// The observer hears done of total bytes every few MiB. Refuses, before
// anything is written, a target that is one of the sheet's own files, and
// existing targets unless target.replace.
MergeResult MergeCueImage(Image& image, const MergeTarget& target, Observer& observer);

}  // namespace kdx
