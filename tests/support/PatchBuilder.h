// Builds KDX patch files byte by byte from their layouts, independently of
// any production writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

struct Rec {
    std::int64_t offset = 0;
    Bytes bytes;
    Bytes undo;  // version 3.0 with undo data; zero bytes when left empty
};

struct PatchLayout {
    int version = 1;  // 1, 2 or 3: method byte 0, 1 or 2
    std::string description;  // zero-padded (or cut) to 50 bytes
    std::uint32_t imageSize = 0;  // version 2.0
    Bytes block;  // version 2.0, and 3.0 with a block-check flag: zero-padded to 1024
    std::uint8_t imageType = 0, blockCheckFlag = 0, undoFlag = 0;  // version 3.0
    std::vector<Rec> records;
    std::optional<std::string> diz;         // the FILE_ID.DIZ text of a trailer
    std::optional<std::uint32_t> dizLength; // a stored length other than the text's
};

Bytes BuildPatch(const PatchLayout& layout);

// One record, laid out as version (1, 2: 4-byte offset; 3: 8-byte offset, with undo bytes when withUndo).
Bytes EncodeRecord(int version, const Rec& record, bool withUndo);

void PutLE(Bytes& out, std::uint64_t value, int width);
Bytes Text(const std::string& s);
// A deterministic pseudo-random buffer.
Bytes Noise(std::size_t n, std::uint32_t seed);

}  // namespace testsupport
