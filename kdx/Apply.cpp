#include "kdx/Apply.h"

#include "kdx/ImageWriter.h"
#include "kdx/Walk.h"

namespace kdx {

namespace {

ApplyResult Failed(ApplyStatus status, std::string reason = {}, std::int64_t record = 0)
{
    return {status, std::move(reason), record};
}

// Reserves the place of every record that writes, before the first write.
bool ReserveSpace(File& patch, const RecordFormat& format, ImageWriter& writer)
{
    RecordReader reader(patch, format);
    Record record;
    while (reader.Next(record) == RecordReader::Status::Record)
        if (!writer.Reserve(record.offset, record.count)) return false;
    return writer.EndReservation();
}

}  // namespace

ApplyResult ApplyPatch(const Patch& loaded, File& patch, Image& image, const WriteChoice& writes, Observer& observer)
{
    const RecordFormat& format = writes.records;
    if (loaded.patchDataLength <= 0) return Failed(ApplyStatus::NoPatchData);

    const WalkResult walk = WalkRecords(patch, format);
    if (walk.verdict == WalkVerdict::Damaged) return Failed(ApplyStatus::Damaged, {}, walk.records + 1);
    if (walk.verdict == WalkVerdict::NegativeOffset || walk.verdict == WalkVerdict::OutOfReach)
        return Failed(ApplyStatus::OutsideImage, {}, walk.records + 1);
    if (const CueImage* cue = image.Cue(); cue != nullptr && walk.writeEnd > cue->length) {
        const std::int64_t size = CueSectorSize(cue->tracks.back().mode);
        const CueImageFile& last = cue->files.back();
        if ((walk.writeEnd - last.offset) % size != 0) return Failed(ApplyStatus::PartSector, last.path, size);
    }

    ImageWriter writer(image);
    if (!writer.Begin(walk.writeEnd, walk.BackToBack())) return Failed(ApplyStatus::WriteFailed, writer.ErrorText());
    if (writer.NeedsReservation() && !ReserveSpace(patch, format, writer))
        return Failed(ApplyStatus::WriteFailed, writer.ErrorText());

    RecordReader reader(patch, format);
    Record record;
    const bool undo = writes.which == Write::Undo;
    const std::int64_t total = format.end - format.start;
    std::int64_t written = 0;
    for (;;) {
        const RecordReader::Status status = reader.Next(record);
        if (status == RecordReader::Status::End) break;
        // The walk passed, so only a patch changed under the lock lands here.
        if (status == RecordReader::Status::Damaged) {
            writer.Finish();
            return Failed(ApplyStatus::Damaged, {}, written + 1);
        }
        const std::uint8_t* bytes = undo && record.undo != nullptr ? record.undo : record.patched;
        if (!writer.Write(record.offset, bytes, record.count)) {
            std::string reason = writer.ErrorText();
            writer.Finish();
            return Failed(ApplyStatus::WriteFailed, std::move(reason));
        }
        ++written;
        observer.Step(reader.Position() - format.start, total);
    }
    if (!writer.Finish()) return Failed(ApplyStatus::WriteFailed, writer.ErrorText());
    return {};
}

}  // namespace kdx
