// Reads the record area of a patch through one fixed-size buffer: constant
// memory, a few large reads however many records there are.
#pragma once

#include "kdx/File.h"

#include <cstdint>
#include <vector>

namespace kdx {

// How a version lays out its records and where they lie.
struct RecordFormat {
    std::int64_t start = 0;  // the first record (the header's length)
    std::int64_t end = 0;    // RecordAreaEnd: where the records must end
    bool offset64 = false;   // signed 64-bit offsets (version 3.0) instead of unsigned 32-bit
    bool undoBytes = false;  // each record's n patched bytes are followed by n undo bytes
};

struct Record {
    std::int64_t offset = 0;
    unsigned count = 0;
    const std::uint8_t* patched = nullptr;  // count bytes
    const std::uint8_t* undo = nullptr;     // count bytes, or null without undo data
};

class RecordReader {
public:
    enum class Status { Record, End, Damaged };
    static constexpr std::int64_t kBufferSize = 1 << 20;
    static constexpr std::int64_t kMinBufferSize = 1024;  // the longest record (9 + 2 x 255) fits

    RecordReader(File& patch, const RecordFormat& format);

    // The next record, End exactly at the end of the record area, or Damaged
    // when a record runs past it or the file ends early. The record's bytes
    // stay valid until the next call.
    Status Next(Record& record);
    // The position of the next record in the patch.
    std::int64_t Position() const { return cursor_; }

private:
    bool Ensure(std::size_t n);

    File& patch_;
    RecordFormat format_;
    std::vector<std::uint8_t> buffer_;
    std::size_t head_ = 0;    // the next unread byte in buffer_
    std::size_t filled_ = 0;  // bytes valid in buffer_
    std::int64_t cursor_;     // file position of buffer_[head_]
};

}  // namespace kdx
