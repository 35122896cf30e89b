#include "ImageCheck.h"

#include "BlockCheck.h"
#include "ImageReader.h"
#include "PatchFacts.h"
#include "VersionUnits.h"

namespace engine {

bool ImageCheckResult::Passed() const
{
    const bool blockOk = block == BlockVerdict::NoneInVersion || block == BlockVerdict::NotInPatch ||
                         block == BlockVerdict::Passed;
    return (!sizeChecked || sizeMatches) && blockOk && walked && walk.verdict == WalkVerdict::Fits;
}

namespace {
void CompareRecords(uStd::FileHandle& patch, uStd::FileHandle& image, const RecordFormat& format,
                    ImageCheckResult& result)
{
    RecordReader reader(patch, format);
    ImageReader held(image);
    Record record;
    while (reader.Next(record) == RecordReader::Status::Record) {
        ++result.records;
        if (held.Holds(record.offset, record.patched, record.count)) ++result.patchedRecords;
        // Undo bytes past the original's end are the zeros that stand for
        // "no byte here": an image that never grew holds them as well.
        if (record.undo != nullptr && held.Holds(record.offset, record.undo, record.count, ImageReader::PastEnd::Zeros))
            ++result.originalRecords;
    }
}
}  // namespace

ImageCheckResult CheckImage(int method, uStd::FileHandle& patch, uStd::FileHandle& image)
{
    const VersionUnit& unit = *UnitForMethod(method);
    const PatchFacts facts = FactsOf(method);
    ImageCheckResult result;
    result.imageLength = image.Length();
    if (unit.CheckImageSize != nullptr) {
        result.sizeChecked = true;
        result.sizeMatches = unit.CheckImageSize(image);
        result.expectedSize = facts.imageSize.value_or(0);
    }
    if (unit.ValidateImage != nullptr) {
        result.blockPosition = facts.blockPosition;
        if (!facts.blockCheck) result.block = BlockVerdict::NotInPatch;
        else if (unit.ValidateImage(image)) result.block = BlockVerdict::Passed;
        else if (result.imageLength < facts.blockPosition + kBlockLength) result.block = BlockVerdict::ImageTooShort;
        else result.block = BlockVerdict::Differs;
    }
    result.patchDataLength = facts.patchDataLength;
    if (facts.patchDataLength <= 0) return result;

    result.walked = true;
    result.walk = WalkRecords(patch, facts.records);
    if (result.walk.verdict != WalkVerdict::Fits) return result;
    result.stateKnown = true;
    result.undoChecked = facts.records.undoBytes;
    CompareRecords(patch, image, facts.records, result);
    return result;
}

}  // namespace engine
