#include "ImageWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace engine {

bool ImageWriter::Fail(const std::string& reason)
{
    error_ = reason;
    return false;
}

bool ImageWriter::Begin(std::int64_t writeEnd, bool backToBack)
{
    if (writeEnd <= 0) return true;  // only empty records: nothing to write
    const std::int64_t length = image_.Length();
    if (length < 0) return Fail(image_.LastErrorText());
    const std::int64_t finalLength = std::max(length, writeEnd);
    if (!image_.IsSparse() && finalLength - length <= kMaxMappedGrowth) {
        const int rc = image_.Reserve(finalLength);
        if (rc == ENOSPC || rc == EFBIG || rc == EDQUOT) return Fail(uStd::SystemErrorText(rc));
        // A page of a map costs a fault when first written, which is dearer
        // than a write call that fills a page or more: runs go through writes.
        const bool mappable = rc == 0 && !backToBack && static_cast<std::uint64_t>(finalLength) <= SIZE_MAX;
        if (mappable && image_.Map(finalLength, map_)) return true;
    }
    pending_.reserve(kMergeBufferSize);
    return true;
}

bool ImageWriter::Write(std::int64_t offset, const std::uint8_t* data, std::size_t n)
{
    if (n == 0) return true;
    if (Mapped()) {
        std::memcpy(map_.Data() + offset, data, n);
        return true;
    }
    const bool continues = !pending_.empty() && offset == pendingStart_ + static_cast<std::int64_t>(pending_.size());
    if (!continues || pending_.size() + n > kMergeBufferSize) {
        if (!Flush()) return false;
        pendingStart_ = offset;
    }
    pending_.insert(pending_.end(), data, data + n);
    return true;
}

bool ImageWriter::Flush()
{
    if (pending_.empty()) return true;
    const bool ok = image_.WriteAt(pendingStart_, pending_.data(), static_cast<std::int64_t>(pending_.size()));
    pending_.clear();
    return ok || Fail(image_.LastErrorText());
}

bool ImageWriter::Finish()
{
    if (Mapped()) return map_.Unmap() || Fail(uStd::SystemErrorText(errno));
    return Flush();
}

}  // namespace engine
