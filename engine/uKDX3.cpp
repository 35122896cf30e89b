#include "uKDX3.h"

#include "BlockCheck.h"
#include "InfoLines.h"
#include "RecordApply.h"

namespace uKDX3 {

namespace {
engine::LoadedPatch gState;
engine::DizTrailer gDiz;
std::int64_t gHeaderLength = kShortHeader;

std::uint8_t ImageType() { return gState.headerBytes[56]; }
std::uint8_t BlockCheckFlag() { return gState.headerBytes[57]; }
std::uint8_t UndoFlag() { return gState.headerBytes[58]; }
}  // namespace

void ReadHeader(uStd::FileHandle& patch, const std::string& path)
{
    engine::ReadHeaderBytes(patch, gState, kHeaderBytes, path);
    gHeaderLength = BlockCheckFlag() == 0 ? kShortHeader : kHeaderBytes;
    gState.patchDataLength = gState.patchFileLength - gHeaderLength;
    ReadDiz(patch);
}

bool ReadDiz(uStd::FileHandle& patch)
{
    gDiz = engine::ReadDizTrailer(patch, gState.patchFileLength, gHeaderLength, 2);
    gState.patchDataLength = gState.patchFileLength - gDiz.nonRecordBytes;
    return gDiz.present;
}

bool HasUndoData() { return UndoFlag() != 0; }
bool IsGiImage() { return ImageType() == 1; }
bool BlockCheckEnabled() { return BlockCheckFlag() == 1; }
std::int64_t HeaderLength() { return gHeaderLength; }
std::int64_t BlockPosition() { return IsGiImage() ? kGiBlockPosition : kNormalBlockPosition; }

platform::InfoLines BuildInfoLines()
{
    using engine::Labelled;
    const std::string description(gState.headerBytes.begin() + 6, gState.headerBytes.begin() + 56);
    platform::InfoLines lines{
        Labelled("Filename", gState.patchFileName),
        Labelled("Filelength", engine::Bytes(gState.patchFileLength)),
        Labelled("Enc. Method", "2 (KDX3.0)"),
        Labelled("Undo Data", HasUndoData() ? "Present " : "Nope"),
        Labelled("Blockcheck", BlockCheckEnabled() ? "Enabled " : "Disabled  "),
        Labelled("Imagetype", IsGiImage() ? "GI Image " : "Normal Image "),
        Labelled("Description", description),
        Labelled("KDX Patchdata", engine::Bytes(gState.patchDataLength))};
    const bool noTrailer = gState.patchFileLength - gHeaderLength == gState.patchDataLength;
    engine::AppendDizLines(lines, !noTrailer, gDiz.text);
    return lines;
}

bool ValidateImage(uStd::FileHandle& image)
{
    if (!BlockCheckEnabled()) return true;
    return engine::ImageHoldsBlock(image, BlockPosition(), gState.headerBytes.data() + 60);
}

engine::RecordFormat Records(bool withUndo)
{
    return {gHeaderLength, gState.patchFileLength - gDiz.nonRecordBytes + gHeaderLength, true, withUndo};
}

bool ApplyPatch(uStd::FileHandle& patch, uStd::FileHandle& image)
{
    return engine::ApplyRecords(patch, image, Records(HasUndoData()), gState.patchDataLength,
                                engine::Write::Patched);
}

bool ApplyUndo(uStd::FileHandle& patch, uStd::FileHandle& image)
{
    return engine::ApplyRecords(patch, image, Records(true), gState.patchDataLength, engine::Write::Undo);
}

const engine::LoadedPatch& Loaded() { return gState; }
const engine::DizTrailer& Diz() { return gDiz; }

}  // namespace uKDX3
