// Turns the differences between two images into patch records: changed
// runs become records of at most 255 bytes, and nearby runs share a record
// where the unchanged bytes between them cost less than a record's head.
// Works on the images as a stream of chunks with constant memory.
#pragma once

#include "kdx/Layout.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kdx {

// Receives one finished record: its image offset, n bytes of the modified
// image and the n original bytes they replace. False stops the build.
using RecordSink =
    std::function<bool(std::int64_t offset, const std::uint8_t* modified, const std::uint8_t* original, unsigned n)>;

class RecordBuilder {
public:
    // headBytes: a record's size without data (5 or 9); bytesPerByte: the
    // bytes a record spends per image byte (1, or 2 with undo data).
    RecordBuilder(unsigned headBytes, unsigned bytesPerByte, RecordSink sink);

    // Treats the byte at position as changed even where both images agree
    // (the last byte of a grown image must be written to reach its length).
    void ForceChange(std::int64_t position) { forced_ = position; }
    // Compares the next n bytes of both images, which start at position
    // (chunks must follow each other). False when the sink refused a record.
    bool Feed(std::int64_t position, const std::uint8_t* original, const std::uint8_t* modified, std::size_t n);
    // Ends the open record. False when the sink refused it.
    bool Finish();

    std::int64_t Records() const { return records_; }

private:
    bool Close();

    unsigned headBytes_;
    unsigned bytesPerByte_;
    RecordSink sink_;
    std::int64_t forced_ = -1;
    bool open_ = false;
    std::int64_t start_ = 0;
    unsigned filled_ = 0;  // bytes taken since start_, unchanged ones after the last change included
    unsigned end_ = 0;     // bytes up to and including the last changed one
    std::uint8_t modified_[kMaxRecordBytes];
    std::uint8_t original_[kMaxRecordBytes];
    std::int64_t records_ = 0;
};

// The count of leading bytes in which a and b agree (n when all do).
std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
// The count of leading bytes in which a and b differ (n when all do).
std::size_t LeadingDifferent(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);

}  // namespace kdx
