// The backup of an apply: a version 3.0 patch (no undo data, no block
// check) whose records hold the image's bytes at every place the apply is
// about to write. Written before the first write to the image, beside its
// target under a temporary name, made durable and renamed; applying it
// later puts those bytes back. Streams the records with constant memory.
#pragma once

#include "kdx/Apply.h"
#include "kdx/File.h"
#include "kdx/Image.h"
#include "kdx/Patch.h"

#include <cstdint>
#include <string>

namespace kdx {

enum class BackupStatus {
    Written,
    NotNeeded,      // the patch's records are unsound: the apply writes nothing either
    SameAsImage,    // path: the backup would replace the image (its cue sheet or one of its track files)
    SameAsPatch,    // path: the backup would replace the patch
    CantReadImage,  // path (the image, or the track file that failed), error
    CantCreate,     // path, error
    CantWrite,      // path, error
    CantPlace       // path, error
};

struct BackupResult {
    BackupStatus status = BackupStatus::Written;
    std::string path;
    int error = 0;                // the system's error number
    std::int64_t records = 0;     // records written to the backup
    std::int64_t imageLength = 0; // the image's length before the apply
    std::int64_t writeEnd = 0;    // where the apply's last byte ends: past imageLength, the image grows

    bool ok() const { return status == BackupStatus::Written; }
    bool Grows() const { return writeEnd > imageLength; }
};

struct BackupTarget {
    std::string backup;  // the backup patch to write
    std::string image;   // the image's path: its file name goes into the description
};

// The description of a backup: "Backup of " and the image's file name, cut to 50 bytes.
std::string BackupDescription(const std::string& imagePath);

// Writes the backup of applying loaded (open as patch, writing what writes
// chose) to image. Places past the image's end are kept as the zeros a
// grown file reads: applying the backup zero-fills a grown tail, which stays.
// The backup is written in the image's file system.
BackupResult WriteBackup(const BackupTarget& target, const Patch& loaded, File& patch, Image& image,
                         const WriteChoice& writes);

}  // namespace kdx
