#include "PatchOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

namespace engine {

PatchOutput::PatchOutput(std::string target) : target_(std::move(target)) { buffer_.reserve(kBufferSize); }

PatchOutput::~PatchOutput()
{
    if (committed_ || tempPath_.empty()) return;
    file_.Close();
    uStd::RemoveFile(tempPath_);
}

bool PatchOutput::Fail(const std::string& what, int error)
{
    error_ = what + " (" + (tempPath_.empty() ? target_ : tempPath_) + "): " + uStd::SystemErrorText(error);
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
        if (file_.LastError() != EEXIST) return Fail("Can't create the patch file", file_.LastError());
    }
    return Fail("Can't create the patch file", EEXIST);
}

bool PatchOutput::Flush()
{
    if (buffer_.empty()) return true;
    if (!file_.WriteAt(flushed_, buffer_.data(), static_cast<std::int64_t>(buffer_.size())))
        return Fail("Can't write the patch file", file_.LastError());
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
    if (!file_.Sync()) return Fail("Can't write the patch file", file_.LastError());
    if (!file_.Close()) return Fail("Can't write the patch file", file_.LastError());
    if (const int rc = uStd::RenameFile(tempPath_, target_); rc != 0) {
        const std::string temp = std::exchange(tempPath_, std::string());
        uStd::RemoveFile(temp);
        error_ = "Can't put the patch file in place (" + target_ + "): " + uStd::SystemErrorText(rc);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace engine
