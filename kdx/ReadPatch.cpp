#include "kdx/Patch.h"

#include <algorithm>
#include <cstring>

namespace kdx {

namespace {

std::uint8_t HeaderByte(const Patch& p, const Field& f) { return p.header[static_cast<std::size_t>(f.at)]; }

// Looks for the trailer at the end of the file. Reads nothing outside the
// file and at most diz::kTextMax bytes of text; a text that would begin
// before the file's start reads as empty.
DizTrailer ReadDizTrailer(File& file, std::int64_t fileLength, std::int64_t headerLength, int lengthBytes)
{
    DizTrailer diz;
    diz.nonRecordBytes = headerLength;
    if (lengthBytes == 0) return diz;
    const std::int64_t tagAt = fileLength - diz::kTagLength - lengthBytes;
    std::uint8_t tail[diz::kTagLength + 4] = {};
    const std::int64_t tailLength = diz::kTagLength + lengthBytes;
    if (tagAt < 0 || file.ReadAt(tagAt, tail, tailLength) != tailLength) return diz;
    if (std::memcmp(tail, diz::kTag, diz::kTagLength) != 0) return diz;

    diz.present = true;
    diz.length = static_cast<std::uint32_t>(LittleEndian(tail + diz::kTagLength, lengthBytes));
    diz.nonRecordBytes = headerLength + diz.length + diz::kLeadIn + diz::kEndMarker + lengthBytes;
    const std::int64_t textAt = fileLength - (static_cast<std::int64_t>(diz.length) + diz::kEndMarker + lengthBytes);
    if (textAt >= 0) {
        diz.text.resize(static_cast<std::size_t>(std::min<std::int64_t>(diz.length, diz::kTextMax)));
        const std::int64_t got = file.ReadAt(textAt, diz.text.data(), static_cast<std::int64_t>(diz.text.size()));
        diz.text.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
    }
    return diz;
}

}  // namespace

std::string Patch::Description() const
{
    const auto at = header.begin() + field::kDescription.at;
    return {at, at + field::kDescription.size};
}

bool Patch::HasUndoData() const { return layout->hasFlags && HeaderByte(*this, field::kUndoFlag) != 0; }

bool Patch::GiImage() const { return layout->hasFlags && HeaderByte(*this, field::kImageType) == kGiImageType; }

bool Patch::BlockCheck() const
{
    // Only a version with flags has the flag byte in its header.
    return layout->HoldsBlock(layout->hasFlags && HeaderByte(*this, field::kBlockCheckFlag) == kBlockCheckOn);
}

std::int64_t Patch::BlockPosition() const
{
    if (!BlockCheck()) return -1;
    return GiImage() ? kBlockPositionGi : kBlockPositionNormal;
}

std::uint32_t Patch::ImageSize() const
{
    if (!layout->storesImageSize) return 0;
    return static_cast<std::uint32_t>(LittleEndian(header.data() + field::kImageSize.at, 4));
}

RecordFormat Patch::Records(bool undoBytes) const
{
    return {headerLength, fileLength - diz.nonRecordBytes + headerLength, layout->offsetBytes == 8,
            layout->hasFlags && undoBytes};
}

WriteChoice Patch::Writes(bool undo) const
{
    return {undo && HasUndoData() ? Write::Undo : Write::Patched, Records()};
}

int ReadMethod(File& file)
{
    std::uint8_t method = 0;
    if (file.ReadAt(field::kMethod.at, &method, 1) != 1) return -1;
    return method;
}

bool CheckMagic(File& file)
{
    char magic[field::kMagic.size] = {};
    if (file.ReadAt(field::kMagic.at, magic, field::kMagic.size) != field::kMagic.size) return false;
    return std::memcmp(magic, kMagicText, field::kMagic.size) == 0;
}

Patch ReadPatch(File& file, const std::string& path, const VersionLayout& layout)
{
    Patch p;
    p.layout = &layout;
    p.path = path;
    p.header.assign(static_cast<std::size_t>(layout.headerRead), 0);
    file.ReadAt(0, p.header.data(), layout.headerRead);
    const std::int64_t end = file.Length();
    p.fileLength = end < 0 ? 0 : end;
    // 3.0: any block-check flag but 0 puts the records after the block data.
    const bool flagged = layout.hasFlags && HeaderByte(p, field::kBlockCheckFlag) != 0;
    p.headerLength = layout.HoldsBlock(flagged) ? layout.blockHeader : layout.shortHeader;
    p.diz = ReadDizTrailer(file, p.fileLength, p.headerLength, layout.dizLengthBytes);
    p.patchDataLength = p.fileLength - p.diz.nonRecordBytes;
    return p;
}

ReadResult ReadPatch(const std::string& path, FileSystem& files)
{
    ReadResult result;
    File file(files);
    if (!OpenReadOnly(file, path)) {
        result.status = ReadStatus::CantOpen;
        result.error = file.LastError();
        return result;
    }
    if (!CheckMagic(file)) {
        result.status = ReadStatus::NotKdx;
        return result;
    }
    const VersionLayout* layout = LayoutForMethod(ReadMethod(file));
    if (layout == nullptr) {
        result.status = ReadStatus::UnknownMethod;
        return result;
    }
    result.patch = ReadPatch(file, path, *layout);
    return result;
}

bool StillAsRead(File& file, const Patch& patch, const std::string& path)
{
    if (path != patch.path || file.Length() != patch.fileLength) return false;
    std::vector<std::uint8_t> now(patch.header.size(), 0);
    if (file.ReadAt(0, now.data(), static_cast<std::int64_t>(now.size())) < 0) return false;
    return now == patch.header;
}

}  // namespace kdx
