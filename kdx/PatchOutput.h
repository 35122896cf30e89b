// The file a new patch is written to: a temporary file beside the target,
// filled through one fixed buffer and renamed into place only when
// complete. Until Commit succeeds no file of the target's name is touched,
// and the temporary file is removed on every other way out.
#pragma once

#include "kdx/File.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kdx {

class PatchOutput {
public:
    static constexpr std::size_t kBufferSize = 1 << 20;

    // The files go through the file system handed in.
    PatchOutput(std::string target, FileSystem& files);
    ~PatchOutput();
    PatchOutput(const PatchOutput&) = delete;
    PatchOutput& operator=(const PatchOutput&) = delete;

    enum class Failure { None, Create, Write, Place };

    // Creates the temporary file. False (Failed, ErrorPath, Error say why) when it cannot.
    bool Begin();
    // Appends bytes at the end. False when writing failed.
    bool Append(const void* data, std::size_t n);
    bool Append(std::uint8_t byte) { return Append(&byte, 1); }
    // Writes what is left, makes it durable and renames the file to the
    // target. False when any step failed; the temporary file goes with the
    // object then, as on every way out without a commit.
    bool Commit();

    // Bytes appended so far.
    std::int64_t Length() const { return flushed_ + static_cast<std::int64_t>(buffer_.size()); }
    // The byte at position back from the end (1: the last one); 0 before the start.
    std::uint8_t FromEnd(std::size_t back) const;
    Failure Failed() const { return failure_; }
    // The file the failure concerns, and the system's error number.
    const std::string& ErrorPath() const { return errorPath_; }
    int Error() const { return error_; }
    const std::string& TempPath() const { return tempPath_; }

private:
    bool Flush();
    bool Fail(Failure failure, const std::string& path, int error);

    std::string target_;
    std::string tempPath_;
    File file_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t flushed_ = 0;
    std::uint8_t tail_[8] = {};  // the last bytes flushed, for FromEnd across a flush
    bool committed_ = false;
    Failure failure_ = Failure::None;
    std::string errorPath_;
    int error_ = 0;
};

}  // namespace kdx
