// The KDX format's layouts: every field of the headers and the trailer named
// once, and the table of the three versions that the method byte selects
// from. Readers, checks and the writer all take their numbers from here.
#pragma once

#include <cstdint>
#include <iterator>

namespace kdx {

// A run of bytes at a fixed place of a file.
struct Field {
    std::int64_t at;
    std::int64_t size;
    constexpr std::int64_t end() const { return at + size; }
};

namespace field {
inline constexpr Field kMagic{0, 3};         // "KDX"
inline constexpr Field kVersionDigits{3, 2}; // written as the version's digits, never read
inline constexpr Field kMethod{5, 1};        // 0 = 1.0, 1 = 2.0, 2 = 3.0
inline constexpr Field kDescription{6, 50};
inline constexpr Field kImageSize{56, 4};        // 2.0: the image's length, unsigned
inline constexpr Field kImageType{56, 1};        // 3.0: 1 = GI image
inline constexpr Field kBlockCheckFlag{57, 1};   // 3.0: 0 = no block in the header
inline constexpr Field kUndoFlag{58, 1};         // 3.0: 0 = records carry no undo bytes
inline constexpr Field kReserved{59, 1};         // 3.0: never read
inline constexpr Field kBlockData{60, 1024};     // 2.0, and 3.0 with its flag
}  // namespace field

inline constexpr char kMagicText[] = "KDX";
inline constexpr std::uint8_t kGiImageType = 1;
inline constexpr std::uint8_t kBlockCheckOn = 1;
// Where the image must hold the block of the header.
inline constexpr std::int64_t kBlockPositionNormal = 37664;
inline constexpr std::int64_t kBlockPositionGi = 32928;

// The FILE_ID.DIZ trailer: a lead-in, the text, an end marker whose last
// three bytes are "DIZ", and the text's length (its width by version).
namespace diz {
inline constexpr std::int64_t kLeadIn = 18;
inline constexpr std::int64_t kEndMarker = 16;
inline constexpr char kTag[] = "DIZ";
inline constexpr std::int64_t kTagLength = 3;
inline constexpr char kLeadInText[] = "@BEGIN_FILE_ID.DIZ";
inline constexpr char kEndMarkerText[] = "@END_FILE_ID.DIZ";
// Readers never hold more of a text than this.
inline constexpr std::int64_t kTextMax = 3072;
}  // namespace diz

// A record: the image offset, a count n of 0 to 255, the n patched bytes,
// and in 3.0 patches with undo data the n original bytes.
inline constexpr unsigned kMaxRecordBytes = 255;

struct VersionLayout {
    int method;                 // the encoding-method byte
    const char* name;           // "1.0", "2.0", "3.0"
    std::int64_t headerRead;    // header bytes a load reads and keeps
    std::int64_t shortHeader;   // where the records begin without block data
    std::int64_t blockHeader;   // where they begin with it
    int offsetBytes;            // 4: unsigned 32-bit offsets; 8: signed 64-bit
    int dizLengthBytes;         // width of the trailer's length; 0: no trailer
    bool storesImageSize;       // 2.0
    bool blockAlways;           // 2.0 always has the block; 3.0 by its flag
    bool hasFlags;              // 3.0: image type, block-check and undo flags

    constexpr int RecordHead() const { return offsetBytes + 1; }
    // Whether a header with this block-check flag holds the block.
    constexpr bool HoldsBlock(bool blockCheckFlag) const { return blockAlways || (hasFlags && blockCheckFlag); }
    // The first byte of an image that no record's offset reaches.
    constexpr std::int64_t Reach() const { return offsetBytes == 4 ? std::int64_t{1} << 32 : INT64_MAX; }
};

inline constexpr VersionLayout kVersions[] = {
    {0, "1.0", 56, 56, 56, 4, 0, false, false, false},
    {1, "2.0", 1084, 1084, 1084, 4, 4, true, true, false},
    {2, "3.0", 1084, 60, 1084, 8, 2, false, false, true},
};

// The layout of an encoding method, or null for a method that is not handled.
constexpr const VersionLayout* LayoutForMethod(int method)
{
    if (method < 0 || method >= static_cast<int>(std::size(kVersions))) return nullptr;
    return &kVersions[method];
}

// A little-endian number of width bytes.
constexpr std::uint64_t LittleEndian(const std::uint8_t* bytes, int width)
{
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

// The layout of a version number (1, 2, 3), or null.
constexpr const VersionLayout* LayoutForVersion(int version) { return LayoutForMethod(version - 1); }

}  // namespace kdx
