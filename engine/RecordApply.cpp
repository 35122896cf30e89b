#include "RecordApply.h"

#include "ImageWriter.h"
#include "Messages.h"
#include "Progress.h"

#include "../platform/Services.h"

namespace engine {

using platform::MsgDlgButtons;
using platform::MsgDlgType;

WalkResult WalkRecords(uStd::FileHandle& patch, const RecordFormat& format)
{
    WalkResult result;
    RecordReader reader(patch, format);
    Record record;
    std::int64_t runEnd = -1;
    for (;;) {
        const RecordReader::Status status = reader.Next(record);
        if (status == RecordReader::Status::End) return result;
        if (status == RecordReader::Status::Damaged) {
            result.verdict = WalkVerdict::Damaged;
            return result;
        }
        if (record.offset < 0 || record.offset > INT64_MAX - record.count) {
            result.verdict = record.offset < 0 ? WalkVerdict::NegativeOffset : WalkVerdict::OutOfReach;
            return result;
        }
        ++result.records;
        if (record.count > 0) {
            const std::int64_t end = record.offset + record.count;
            if (end > result.writeEnd) result.writeEnd = end;
            result.bytes += record.count;
            if (record.offset != runEnd) ++result.runs;
            runEnd = end;
        }
    }
}

namespace {
bool Error(const std::string& text)
{
    platform::MessageDlg(text, MsgDlgType::mtError, MsgDlgButtons::mbOK);
    return false;
}

// Reserves the place of every record that writes, before the first write.
bool ReserveSpace(uStd::FileHandle& patch, const RecordFormat& format, ImageWriter& writer)
{
    RecordReader reader(patch, format);
    Record record;
    while (reader.Next(record) == RecordReader::Status::Record)
        if (!writer.Reserve(record.offset, record.count)) return false;
    return writer.EndReservation();
}
}  // namespace

bool ApplyRecords(uStd::FileHandle& patch, uStd::FileHandle& image, const RecordFormat& format,
                  std::int64_t patchDataLength, Write which)
{
    if (patchDataLength <= 0) return Error(text::kNoPatchData);

    const WalkResult walk = WalkRecords(patch, format);
    if (walk.verdict == WalkVerdict::Damaged) return Error(text::kDamagedRecords);
    if (walk.verdict == WalkVerdict::NegativeOffset || walk.verdict == WalkVerdict::OutOfReach)
        return Error(text::kOutsideImage);

    ImageWriter writer(image);
    if (!writer.Begin(walk.writeEnd, walk.BackToBack())) return Error(text::CantWriteImage(writer.ErrorText()));
    if (writer.NeedsReservation() && !ReserveSpace(patch, format, writer))
        return Error(text::CantWriteImage(writer.ErrorText()));

    RecordReader reader(patch, format);
    Record record;
    CurrentProgress = {0, format.end - format.start};
    for (;;) {
        const RecordReader::Status status = reader.Next(record);
        if (status == RecordReader::Status::End) break;
        // The walk passed, so only a patch changed under the lock lands here.
        if (status == RecordReader::Status::Damaged) {
            writer.Finish();
            return Error(text::kDamagedRecords);
        }
        const std::uint8_t* bytes = which == Write::Undo && record.undo != nullptr ? record.undo : record.patched;
        if (!writer.Write(record.offset, bytes, record.count)) {
            const std::string reason = writer.ErrorText();
            writer.Finish();
            return Error(text::CantWriteImage(reason));
        }
        CurrentProgress.done = reader.Position() - format.start;
        platform::ProcessMessages();
    }
    if (!writer.Finish()) return Error(text::CantWriteImage(writer.ErrorText()));
    return true;
}

}  // namespace engine
