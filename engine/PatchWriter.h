// Writes the KDX patch that turns one image into another, streaming both
// images through fixed buffers. Every refusal and failure is a result with
// its message; the patch file is written whole or not at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace engine {

struct PatchWriteOptions {
    std::string original;    // the image as it is
    std::string modified;    // the image as the patch is to make it
    std::string patch;       // the patch file to write
    int version = 3;         // 1, 2 or 3
    bool undo = false;       // version 3.0: each record keeps the original bytes
    bool blockCheck = false; // version 3.0: store the original's 1024-byte block (version 2.0 always does)
    bool giImage = false;    // version 3.0: image type 1, block at 32,928 instead of 37,664
    std::string description; // 8-bit bytes, at most 50
    std::optional<std::string> dizPath;  // a FILE_ID.DIZ text to attach (versions 2.0, 3.0)
};

struct PatchWriteResult {
    bool ok = false;
    std::string error;  // why nothing was written
    std::int64_t records = 0;
    std::int64_t patchDataLength = 0;  // bytes of records
    std::int64_t patchLength = 0;      // bytes of the whole patch file
};

// Compares the two images and writes the patch. Refuses (ok false, nothing
// written, no temporary file left) a modified image shorter than the
// original, identical images, options the version cannot carry, and changes
// a version cannot reach. Pumps the message loop while it runs and keeps
// CurrentProgress up to date. Never ends the program.
PatchWriteResult WritePatch(const PatchWriteOptions& options);

}  // namespace engine
