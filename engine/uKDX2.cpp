#include "uKDX2.h"

#include "BlockCheck.h"
#include "InfoLines.h"
#include "RecordApply.h"

namespace uKDX2 {

namespace {
engine::LoadedPatch gState;
engine::DizTrailer gDiz;
}  // namespace

void ReadHeader(uStd::FileHandle& patch, const std::string& path)
{
    engine::ReadHeaderBytes(patch, gState, kHeaderLength, path);
    gDiz = engine::ReadDizTrailer(patch, gState.patchFileLength, kHeaderLength, 4);
    gState.patchDataLength = gState.patchFileLength - gDiz.nonRecordBytes;
}

platform::InfoLines BuildInfoLines()
{
    using engine::Labelled;
    const std::string description(gState.headerBytes.begin() + 6, gState.headerBytes.begin() + 56);
    platform::InfoLines lines{Labelled("Filename", gState.patchFileName),
                              Labelled("Filelength", engine::Bytes(gState.patchFileLength)),
                              Labelled("Enc. Method", "1 (KDX2.0)"),
                              Labelled("Description", description),
                              Labelled("KDX Patchdata", engine::Bytes(gState.patchDataLength))};
    const bool noTrailer = gState.patchFileLength - kHeaderLength == gState.patchDataLength;
    engine::AppendDizLines(lines, !noTrailer, gDiz.text);
    return lines;
}

std::uint32_t ImageSize()
{
    return static_cast<std::uint32_t>(engine::LittleEndian(gState.headerBytes.data() + 56, 4));
}

bool CheckImageSize(uStd::FileHandle& image)
{
    return image.Seek(0, uStd::SeekOrigin::End) == static_cast<std::int64_t>(ImageSize());
}

bool ValidateImage(uStd::FileHandle& image)
{
    return engine::ImageHoldsBlock(image, kBlockPosition, gState.headerBytes.data() + 60);
}

engine::RecordFormat Records()
{
    return {kHeaderLength, gState.patchFileLength - gDiz.nonRecordBytes + kHeaderLength, false, false};
}

bool ApplyPatch(uStd::FileHandle& patch, uStd::FileHandle& image)
{
    return engine::ApplyRecords(patch, image, Records(), gState.patchDataLength, engine::Write::Patched);
}

const engine::LoadedPatch& Loaded() { return gState; }
const engine::DizTrailer& Diz() { return gDiz; }

}  // namespace uKDX2
