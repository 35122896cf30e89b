#include "kdx/ImageCheck.h"

#include "kdx/ImageReader.h"
#include "kdx/Validate.h"

namespace kdx {

bool ImageCheckResult::Passed() const
{
    const bool blockOk = block == BlockVerdict::NoneInVersion || block == BlockVerdict::NotInPatch ||
                         block == BlockVerdict::Passed;
    return (!sizeChecked || sizeMatches) && blockOk && walked && walk.verdict == WalkVerdict::Fits;
}

namespace {
void CompareRecords(File& patch, Image& image, const RecordFormat& format,
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

ImageCheckResult CheckImage(const Patch& loaded, File& patch, Image& image)
{
    ImageCheckResult result;
    result.imageLength = image.Length();
    if (loaded.layout->storesImageSize) {
        result.sizeChecked = true;
        result.sizeMatches = CheckImageSize(loaded, image);
        result.expectedSize = loaded.ImageSize();
    }
    if (loaded.layout->blockAlways || loaded.layout->hasFlags) {
        result.blockPosition = loaded.BlockPosition();
        if (!loaded.BlockCheck()) result.block = BlockVerdict::NotInPatch;
        else if (ValidateImage(loaded, image)) result.block = BlockVerdict::Passed;
        else if (result.imageLength < result.blockPosition + field::kBlockData.size)
            result.block = BlockVerdict::ImageTooShort;
        else result.block = BlockVerdict::Differs;
    }
    result.patchDataLength = loaded.patchDataLength;
    if (loaded.patchDataLength <= 0) return result;

    const RecordFormat records = loaded.Records();
    result.walked = true;
    result.walk = WalkRecords(patch, records);
    if (result.walk.verdict != WalkVerdict::Fits) return result;
    result.stateKnown = true;
    result.undoChecked = records.undoBytes;
    CompareRecords(patch, image, records, result);
    return result;
}

}  // namespace kdx
