#include "kdx/Walk.h"

namespace kdx {

WalkResult WalkRecords(File& patch, const RecordFormat& format)
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

}  // namespace kdx
