#include "uKDX1.h"

#include "InfoLines.h"
#include "RecordApply.h"

namespace uKDX1 {

namespace {
engine::LoadedPatch gState;
}

void ReadHeader(uStd::FileHandle& patch, const std::string& path)
{
    engine::ReadHeaderBytes(patch, gState, kHeaderLength, path);
    gState.patchDataLength = gState.patchFileLength - kHeaderLength;
}

platform::InfoLines BuildInfoLines()
{
    using engine::Labelled;
    const std::string description(gState.headerBytes.begin() + 6, gState.headerBytes.begin() + 56);
    return {Labelled("Filename", gState.patchFileName),
            Labelled("Filelength", engine::Bytes(gState.patchFileLength)),
            Labelled("Enc. Method", "0 (KDX1.0)"),
            Labelled("Description", description),
            Labelled("KDX Patchdata", engine::Bytes(gState.patchDataLength))};
}

engine::RecordFormat Records() { return {kHeaderLength, gState.patchFileLength, false, false}; }

bool ApplyPatch(uStd::FileHandle& patch, uStd::FileHandle& image)
{
    return engine::ApplyRecords(patch, image, Records(), gState.patchDataLength, engine::Write::Patched);
}

const engine::LoadedPatch& Loaded() { return gState; }

}  // namespace uKDX1
