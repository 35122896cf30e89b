#include "kdx/PatchOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

namespace kdx {

PatchOutput::PatchOutput(std::string target, FileSystem& files) : target_(std::move(target)), file_(files)
{
    buffer_.reserve(kBufferSize);
}

PatchOutput::~PatchOutput()
{
    if (committed_ || tempPath_.empty()) return;
    file_.Close();
    RemoveFile(tempPath_, file_.System());
}

bool PatchOutput::Fail(Failure failure, const std::string& path, int error)
{
    failure_ = failure;
    errorPath_ = path;
    error_ = error;
    return false;
}

bool PatchOutput::Begin()
{
    // A fresh name beside the target, so the rename never crosses file systems.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = target_ + ".part-" + std::to_string(random() % 1000000);
        if (file_.Create(candidate)) {
            tempPath_ = candidate;
            return true;
        }
        if (file_.LastError() != EEXIST) return Fail(Failure::Create, target_, file_.LastError());
    }
    return Fail(Failure::Create, target_, EEXIST);
}

bool PatchOutput::Flush()
{
    if (buffer_.empty()) return true;
    if (!file_.WriteAt(flushed_, buffer_.data(), static_cast<std::int64_t>(buffer_.size())))
        return Fail(Failure::Write, tempPath_, file_.LastError());
    // Keep the last bytes for FromEnd.
    const std::size_t keep = std::min(buffer_.size(), sizeof tail_);
    std::memmove(tail_, tail_ + keep, sizeof tail_ - keep);
    std::memcpy(tail_ + sizeof tail_ - keep, buffer_.data() + buffer_.size() - keep, keep);
    flushed_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
    return true;
}

bool PatchOutput::Append(const void* data, std::size_t n)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        if (buffer_.size() == kBufferSize && !Flush()) return false;
        const std::size_t take = std::min(n, kBufferSize - buffer_.size());
        buffer_.insert(buffer_.end(), p, p + take);
        p += take;
        n -= take;
    }
    return true;
}

std::uint8_t PatchOutput::FromEnd(std::size_t back) const
{
    if (back == 0 || static_cast<std::int64_t>(back) > Length()) return 0;
    if (back <= buffer_.size()) return buffer_[buffer_.size() - back];
    const std::size_t inTail = back - buffer_.size();
    return inTail <= sizeof tail_ ? tail_[sizeof tail_ - inTail] : 0;
}

bool PatchOutput::Commit()
{
    if (!Flush()) return false;
    if (!file_.Sync()) return Fail(Failure::Write, tempPath_, file_.LastError());
    if (!file_.Close()) return Fail(Failure::Write, tempPath_, file_.LastError());
    if (const int rc = RenameFile(tempPath_, target_, file_.System()); rc != 0) {
        const std::string temp = std::exchange(tempPath_, std::string());
        RemoveFile(temp, file_.System());
        return Fail(Failure::Place, target_, rc);
    }
    committed_ = true;
    // The new name must survive a crash as well as the bytes.
    if (const int rc = SyncFolderOf(target_, file_.System()); rc != 0) return Fail(Failure::Place, target_, rc);
    return true;
}

}  // namespace kdx
