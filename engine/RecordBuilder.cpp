#include "RecordBuilder.h"

#include <cstring>
#include <utility>

namespace engine {

std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t n)
{
    // Whole blocks through memcmp (vectorised), then words, then bytes.
    constexpr std::size_t kBlock = 256;
    std::size_t i = 0;
    while (i + kBlock <= n && std::memcmp(a + i, b + i, kBlock) == 0) i += kBlock;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) break;
    }
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

RecordBuilder::RecordBuilder(unsigned headBytes, unsigned bytesPerByte, RecordSink sink)
    : headBytes_(headBytes), bytesPerByte_(bytesPerByte), sink_(std::move(sink))
{
}

bool RecordBuilder::Close()
{
    open_ = false;
    ++records_;
    return sink_(start_, modified_, original_, end_);
}

bool RecordBuilder::Feed(std::int64_t position, const std::uint8_t* original, const std::uint8_t* modified,
                         std::size_t n)
{
    std::size_t i = 0;
    while (i < n) {
        if (!open_) {
            // Skip agreeing bytes fast, stopping short of a forced change.
            std::size_t limit = n;
            if (forced_ >= position + static_cast<std::int64_t>(i) && forced_ < position + static_cast<std::int64_t>(n))
                limit = static_cast<std::size_t>(forced_ - position);
            i += FirstDifference(original + i, modified + i, limit - i);
            if (i == n) break;
            open_ = true;
            start_ = position + static_cast<std::int64_t>(i);
            filled_ = 0;
            end_ = 0;
        }
        const bool changed = original[i] != modified[i] || position + static_cast<std::int64_t>(i) == forced_;
        if (changed) {
            if (filled_ == kMaxRecordBytes) {
                if (!Close()) return false;
                continue;  // the byte opens the next record
            }
        } else {
            // Unchanged bytes join the record only while they may still
            // bridge to a change more cheaply than a new record's head.
            const unsigned gap = filled_ + 1 - end_;
            if (filled_ == kMaxRecordBytes || bytesPerByte_ * gap >= headBytes_) {
                if (!Close()) return false;
                continue;
            }
        }
        modified_[filled_] = modified[i];
        original_[filled_] = original[i];
        ++filled_;
        if (changed) end_ = filled_;
        ++i;
    }
    return true;
}

bool RecordBuilder::Finish() { return !open_ || Close(); }

}  // namespace engine
