#include "PatchFacts.h"

#include "VersionUnits.h"
#include "uKDX2.h"
#include "uKDX3.h"

namespace engine {

namespace {
void TakeDiz(PatchFacts& facts, const DizTrailer& diz)
{
    // As the info lines tell it: a trailer is there when it takes bytes from the records.
    if (facts.fileLength - facts.records.start == facts.patchDataLength) return;
    facts.diz = diz.text;
    facts.dizLength = diz.length;
}
}  // namespace

PatchFacts FactsOf(int method)
{
    const VersionUnit& unit = *UnitForMethod(method);
    const LoadedPatch& loaded = unit.Loaded();
    PatchFacts facts;
    facts.method = method;
    facts.version = unit.version;
    facts.path = loaded.patchFileName;
    facts.fileLength = loaded.patchFileLength;
    facts.patchDataLength = loaded.patchDataLength;
    facts.description.assign(loaded.headerBytes.begin() + 6, loaded.headerBytes.begin() + 56);
    facts.undoData = HasUndo(unit);
    facts.records = unit.Records(facts.undoData);
    if (method == 1) {
        facts.blockCheck = true;
        facts.blockPosition = uKDX2::kBlockPosition;
        facts.imageSize = uKDX2::ImageSize();
        TakeDiz(facts, uKDX2::Diz());
    } else if (method == 2) {
        facts.blockCheck = uKDX3::BlockCheckEnabled();
        if (facts.blockCheck) facts.blockPosition = uKDX3::BlockPosition();
        facts.giImage = uKDX3::IsGiImage();
        TakeDiz(facts, uKDX3::Diz());
    }
    return facts;
}

}  // namespace engine
