#include "kdx/RecordBuilder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace kdx {

std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t n)
{
    // Whole blocks through memcmp (vectorised): large ones over unchanged
    // stretches, small ones near a change; then words, then bytes.
    constexpr std::size_t kLargeBlock = 4096;
    constexpr std::size_t kBlock = 256;
    std::size_t i = 0;
    while (i + kLargeBlock <= n && std::memcmp(a + i, b + i, kLargeBlock) == 0) i += kLargeBlock;
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

std::size_t LeadingDifferent(const std::uint8_t* a, const std::uint8_t* b, std::size_t n)
{
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // A word at a time: the lowest zero byte of a ^ b is the first equal byte.
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHighs = 0x8080808080808080ull;
        for (; i + 8 <= n; i += 8) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a + i, 8);
            std::memcpy(&y, b + i, 8);
            const std::uint64_t v = x ^ y;
            const std::uint64_t zero = (v - kOnes) & ~v & kHighs;
            if (zero != 0) return i + static_cast<std::size_t>(std::countr_zero(zero) / 8);
        }
    }
    while (i < n && a[i] != b[i]) ++i;
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
        // A run of changed bytes that fits the record is taken whole; the
        // byte that ends it (unchanged, or forced) goes the way below.
        const std::size_t run = LeadingDifferent(original + i, modified + i,
                                                 std::min<std::size_t>(n - i, kMaxRecordBytes - filled_));
        if (run > 0) {
            std::memcpy(modified_ + filled_, modified + i, run);
            std::memcpy(original_ + filled_, original + i, run);
            filled_ += static_cast<unsigned>(run);
            end_ = filled_;
            i += run;
            continue;
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

}  // namespace kdx
