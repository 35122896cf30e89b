// The one writer of KDX patch files: a version's header, the records handed
// to it and an optional FILE_ID.DIZ trailer, written whole through a
// PatchOutput or not at all. Whatever writes a patch (make, the backup)
// hands its records to it; every offset comes from the version's layout.
#pragma once

#include "kdx/Layout.h"
#include "kdx/PatchOutput.h"
#include "kdx/RecordBuilder.h"

#include <cstdint>
#include <string>
#include <utility>

namespace kdx {

// What a patch's header says.
struct PatchHeader {
    int version = 3;                      // 1, 2 or 3
    bool undo = false;                    // 3.0: each record keeps the bytes it replaces
    bool blockCheck = false;              // 3.0: the header holds the block (2.0 always does)
    bool giImage = false;                 // 3.0: image type 1, the block at 32,928
    std::string description;              // 8-bit bytes, at most 50
    std::int64_t imageSize = 0;           // 2.0: the image's length
    const std::uint8_t* block = nullptr;  // the block's 1024 bytes, where the header holds one
};

class PatchWriter {
public:
    enum class Failure { None, Create, Write, Place, BeyondReach };

    // The patch is written and renamed in files.
    PatchWriter(std::string target, FileSystem& files) : out_(std::move(target), files) {}

    // Creates the temporary file and writes the header of header.version (1,
    // 2 or 3). False when the file cannot be made or written.
    bool Begin(const PatchHeader& header);
    // Appends a record: n patched bytes at offset, followed by the n original
    // bytes in a patch with undo data. False when writing failed or the
    // version's offsets cannot reach the place (Beyond says which byte).
    bool Record(std::int64_t offset, const std::uint8_t* patched, const std::uint8_t* original, unsigned n);
    // A builder whose records come to this writer, merged and split as they
    // pay in this version; it must not outlive the writer.
    RecordBuilder Builder();
    // Ends the records, appends the trailer with diz's text (versions with a
    // trailer; null: none), makes the file durable and renames it to the
    // target. A patch of no record, or whose records end as a trailer would,
    // gets an empty record first: readers take neither for patch data.
    bool Finish(const std::string* diz);

    std::int64_t Records() const { return records_; }
    // Bytes of records (Finish sets it) and of the whole file.
    std::int64_t PatchDataLength() const { return patchDataLength_; }
    std::int64_t Length() const { return out_.Length(); }
    Failure Failed() const { return failure_; }
    // The file a failure concerns, and the system's error number.
    const std::string& ErrorPath() const { return out_.ErrorPath(); }
    int Error() const { return out_.Error(); }
    // BeyondReach: the last byte of the record that no offset of the version reaches.
    std::int64_t Beyond() const { return beyond_; }

private:
    bool FromOutput();
    bool EndsLikeTrailer() const;

    PatchOutput out_;
    const VersionLayout* layout_ = nullptr;
    bool undo_ = false;
    std::int64_t headerLength_ = 0;
    std::int64_t records_ = 0;
    std::int64_t patchDataLength_ = 0;
    std::int64_t beyond_ = 0;
    Failure failure_ = Failure::None;
};

}  // namespace kdx
