#include "kdx/ImageWriter.h"

#include <algorithm>
#include <cerrno>

namespace kdx {

namespace {
// Errors that mean the space is not there, as opposed to a file system
// that cannot reserve at all.
bool NoSpace(int rc)
{
#ifdef EDQUOT  // Windows has no disk quotas in errno terms
    if (rc == EDQUOT) return true;
#endif
    return rc == ENOSPC || rc == EFBIG;
}
}  // namespace

bool ImageWriter::Fail(const std::string& reason)
{
    error_ = reason;
    map_.Unmap();
    pending_.clear();
    if (lengthBefore_ >= 0 && image_.Length() != lengthBefore_) image_.SetLength(lengthBefore_);
    return false;
}

bool ImageWriter::Begin(std::int64_t writeEnd, bool backToBack)
{
    if (writeEnd <= 0) return true;  // only empty records: nothing to write
    const std::int64_t length = image_.Length();
    if (length < 0) return Fail(image_.LastErrorText());
    lengthBefore_ = length;
    const std::int64_t finalLength = std::max(length, writeEnd);
    pending_.reserve(kMergeBufferSize);
    if (!image_.IsSparse() && finalLength - length <= kMaxMappedGrowth &&
        static_cast<std::uint64_t>(finalLength) <= SIZE_MAX) {
        const int rc = image_.Reserve(0, finalLength);
        if (NoSpace(rc)) return Fail(image_.LastErrorText());
        if (rc == 0) {
            // A page of a map costs a fault when first written, which is dearer
            // than a write call that fills a page or more: runs go through writes.
            if (!backToBack) image_.Map(finalLength, map_);
            return true;  // all the space is there: no record needs its own
        }
    }
    // Growing first finds the file size limit before anything is written.
    if (finalLength > length && !image_.SetLength(finalLength)) return Fail(image_.LastErrorText());
    reserving_ = true;
    return true;
}

bool ImageWriter::ReserveRun()
{
    if (runEnd_ <= runStart_) return true;
    const int rc = image_.Reserve(runStart_, runEnd_ - runStart_);
    runStart_ = runEnd_ = 0;
    if (NoSpace(rc)) return Fail(image_.LastErrorText());
    // A file system that cannot reserve is written without: its full disk
    // shows as a failed write.
    if (rc != 0) reserving_ = false;
    return true;
}

bool ImageWriter::Reserve(std::int64_t offset, std::size_t n)
{
    if (!NeedsReservation() || n == 0) return true;
    const auto end = offset + static_cast<std::int64_t>(n);
    if (runEnd_ > runStart_ && offset >= runStart_ && offset <= runEnd_) {
        runEnd_ = std::max(runEnd_, end);
        return true;
    }
    if (!ReserveRun()) return false;
    runStart_ = offset;
    runEnd_ = end;
    return true;
}

bool ImageWriter::EndReservation()
{
    if (!NeedsReservation()) return true;
    return ReserveRun();
}

bool ImageWriter::Write(std::int64_t offset, const std::uint8_t* data, std::size_t n)
{
    if (n == 0) return true;
    if (Mapped()) {
        map_.Copy(offset, data, n);
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
    if (Mapped()) {
        if (!map_.Flush() || !map_.Unmap()) return Fail(map_.ErrorText());
    } else if (!Flush()) {
        return false;
    }
    // Only what the disk holds counts as written: a write-back error shows
    // here, not after success has been reported.
    return image_.SyncData() || Fail(image_.LastErrorText());
}

}  // namespace kdx
