#include "kdx/RecordReader.h"

#include "kdx/Layout.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kdx {

namespace {
// A record's offset field, read once per record: on a little-endian machine
// a plain load instead of the byte loop.
std::uint64_t OffsetField(const std::uint8_t* p, bool wide)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (wide) {
            std::uint64_t v;
            std::memcpy(&v, p, 8);
            return v;
        }
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else {
        return LittleEndian(p, wide ? 8 : 4);
    }
}
}  // namespace

RecordReader::RecordReader(File& patch, const RecordFormat& format)
    : patch_(patch),
      format_(format),
      // Never larger than the record area: a small patch costs a small buffer.
      buffer_(static_cast<std::size_t>(
          std::clamp<std::int64_t>(format.end - format.start, kMinBufferSize, kBufferSize))),
      cursor_(format.start)
{
}

bool RecordReader::Ensure(std::size_t n)
{
    if (filled_ - head_ >= n) return true;
    const std::size_t kept = filled_ - head_;
    std::memmove(buffer_.data(), buffer_.data() + head_, kept);
    head_ = 0;
    filled_ = kept;
    const std::int64_t fileAt = cursor_ + static_cast<std::int64_t>(kept);
    const std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(buffer_.size() - kept),
                                                     format_.end - fileAt);
    if (want > 0) {
        const std::int64_t got = patch_.ReadAt(fileAt, buffer_.data() + kept, want);
        if (got > 0) filled_ += static_cast<std::size_t>(got);
    }
    return filled_ >= n;
}

RecordReader::Status RecordReader::Next(Record& record)
{
    if (cursor_ == format_.end) return Status::End;
    const std::size_t head = format_.offset64 ? 9 : 5;
    if (cursor_ > format_.end || format_.end - cursor_ < static_cast<std::int64_t>(head) || !Ensure(head))
        return Status::Damaged;

    const std::uint8_t* p = buffer_.data() + head_;
    const std::uint64_t raw = OffsetField(p, format_.offset64);
    record.offset = static_cast<std::int64_t>(raw);
    record.count = p[head - 1];
    const std::size_t body = format_.undoBytes ? 2 * record.count : record.count;
    if (format_.end - cursor_ < static_cast<std::int64_t>(head + body) || !Ensure(head + body))
        return Status::Damaged;

    p = buffer_.data() + head_;
    record.patched = p + head;
    record.undo = format_.undoBytes ? p + head + record.count : nullptr;
    head_ += head + body;
    cursor_ += static_cast<std::int64_t>(head + body);
    return Status::Record;
}

}  // namespace kdx
