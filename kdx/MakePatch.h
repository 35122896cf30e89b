// Makes the KDX patch that turns one image into another: both images
// streamed through fixed buffers, their differences handed as records to the
// patch writer. Every refusal and failure is a result value; the patch file
// is written whole or not at all.
#pragma once

#include "kdx/CueSheet.h"
#include "kdx/FileSystem.h"
#include "kdx/Observer.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kdx {

// Either image may be a cue sheet: the patch is made in the one-file range
// of its track files.
struct MakeOptions {
    std::string original;    // the image as it is
    std::string modified;    // the image as the patch is to make it
    std::string patch;       // the patch file to write
    int version = 3;         // 1, 2 or 3
    bool undo = false;       // version 3.0: each record keeps the original bytes
    bool blockCheck = false; // version 3.0: store the original's 1024-byte block (version 2.0 always does)
    bool giImage = false;    // version 3.0: image type 1, block at 32,928 instead of 37,664
    std::string description; // 8-bit bytes, at most 50
    std::optional<std::string> dizPath;  // a FILE_ID.DIZ text to attach (versions 2.0, 3.0)
    // A raw MODIFIED: its sectors whose EDC/ECC are wrong where ORIGINAL's
    // were right go into the patch repaired (MODIFIED itself is not changed).
    bool fixSectors = false;
};

enum class MakeStatus {
    Written,
    UnknownVersion,       // number: the version asked for
    UndoNeedsVersion3,
    NoBlockInVersion1,
    GiNeedsVersion3,
    DescriptionTooLong,   // number: its length
    DizInVersion1,
    PatchIsAnImage,       // path: the patch
    Identical,
    CantOpenDiz,          // path, error
    DizTooLong,           // number: its length
    CantReadDiz,          // path, error
    CantOpenImage,        // image, path, error
    NotCdImage,           // image, path: a text that is no cue sheet
    CueRefused,           // image, problem
    CantReadImage,        // image, path, error
    ImageChanged,         // image, path (a track file: since its check)
    ModifiedShorter,
    BeyondReach,          // number: the offset a version 1.0/2.0 patch cannot reach
    OriginalTooLarge,     // version 2.0 cannot store its size
    OriginalTooShort,     // number: the length the block check needs; position: the block's
    CantCreatePatch,      // path, error
    CantWritePatch,       // path, error
    CantPlacePatch        // path, error
};

enum class WhichImage { Original, Modified };

struct MakeResult {
    MakeStatus status = MakeStatus::Written;
    int version = 3;
    WhichImage image = WhichImage::Original;
    std::string path;
    int error = 0;              // the system's error number
    std::int64_t number = 0;
    std::int64_t position = 0;
    std::int64_t records = 0;
    std::int64_t patchDataLength = 0;  // bytes of records
    std::int64_t patchLength = 0;      // bytes of the whole patch file
    // A raw MODIFIED: its sectors whose EDC/ECC are wrong while ORIGINAL's
    // same sectors are right (repaired in the patch with fixSectors).
    std::int64_t brokenSectors = 0;
    std::int64_t firstBrokenSector = -1;
    CueProblem problem;  // CueRefused: why

    bool ok() const { return status == MakeStatus::Written; }
};

// Compares the two images and writes the patch. Refuses (nothing written,
// no temporary file left) a modified image shorter than the original,
// identical images, options the version cannot carry, and changes a version
// cannot reach. Tells the observer its progress every few dozen KiB; an
// exception thrown from there ends the writing and removes the temporary file.
// Every file is opened, written and renamed in files.
MakeResult MakePatch(const MakeOptions& options, Observer& observer, FileSystem& files);

}  // namespace kdx
