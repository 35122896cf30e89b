#include "kdx/Image.h"

#include "kdx/ImageKind.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace kdx {

namespace {

constexpr std::int64_t kNoEnd = std::numeric_limits<std::int64_t>::max();

ImageOpenResult OpenFailed(ImageOpenStatus status, const std::string& path, int error = 0)
{
    ImageOpenResult result;
    result.status = status;
    result.path = path;
    result.error = error;
    return result;
}

}  // namespace

std::string ErrorTextOn(const std::string& path, int error, bool named)
{
    return named ? path + ": " + SystemErrorText(error) : SystemErrorText(error);
}

ImageOpenResult Image::Open(const std::string& path, bool writable)
{
    Close();
    path_ = path;
    cue_.reset();
    File probe(*files_);
    bool opened = probe.Open(path, writable);
    const int error = probe.LastError();
    // A cue sheet that cannot be written is still an image: only its track files are.
    if (!opened && writable) {
        const OpenFailure why = OpenFailureOf(error);
        if (why != OpenFailure::Missing && why != OpenFailure::Folder && why != OpenFailure::InUse)
            opened = probe.Open(path, false);
    }
    if (!opened) return OpenFailed(ImageOpenStatus::CantOpen, path, error);

    std::string head(kImageKindBytes, '\0');
    const std::int64_t got = probe.ReadAt(0, head.data(), static_cast<std::int64_t>(head.size()));
    if (got < 0) return OpenFailed(ImageOpenStatus::CantOpen, path, probe.LastError());
    head.resize(static_cast<std::size_t>(got));
    switch (ClassifyImage(head)) {
    case ImageKind::CueSheet: probe.Close(); return OpenTracks(path, writable);
    case ImageKind::Text: return OpenFailed(ImageOpenStatus::NotCdImage, path);
    case ImageKind::Other: break;
    }
    // Only a cue sheet may be opened read-only when writing was asked for.
    if (error != 0 && writable) return OpenFailed(ImageOpenStatus::CantOpen, path, error);
    Part& part = parts_.emplace_back(*files_);
    part.file = std::move(probe);
    part.path = path;
    return {};
}

ImageOpenResult Image::OpenTracks(const std::string& path, bool writable)
{
    CueImageResult read = ReadCueImage(path, *files_);
    if (!read.ok()) {
        ImageOpenResult refused = OpenFailed(ImageOpenStatus::CueRefused, path);
        refused.problem = std::move(read.problem);
        return refused;
    }
    for (const CueImageFile& track : read.image.files) {
        Part& part = parts_.emplace_back(*files_);
        part.path = track.path;
        part.offset = track.offset;
        part.length = track.length;
        FileFacts now;
        if (!part.file.Open(track.path, writable) || !part.file.Facts(now)) {
            const int error = part.file.LastError();
            Close();
            return OpenFailed(ImageOpenStatus::CantOpen, track.path, error);
        }
        // A link swapped since the check would make this another file, maybe outside the folder.
        if (!now.SameFileAs(track.checked) || now.links != 1 || now.length != track.length) {
            Close();
            return OpenFailed(ImageOpenStatus::Changed, track.path);
        }
    }
    cue_ = std::move(read.image);
    return {};
}

bool Image::Close()
{
    bool closed = true;
    for (Part& part : parts_)
        if (!part.file.Close() && closed) closed = Fail(part);
    parts_.clear();
    return closed;
}

bool Image::Includes(const std::string& path) const
{
    if (!path_.empty() && SameFile(path, path_, *files_)) return true;
    return std::any_of(parts_.begin(), parts_.end(), [&](const Part& part) { return SameFile(path, part.path, *files_); });
}

bool Image::NotOpen()
{
    lastError_ = EBADF;
    errorPath_ = path_;
    return false;
}

bool Image::Fail(const Part& part)
{
    lastError_ = part.file.LastError();
    errorPath_ = part.path;
    return false;
}

std::string Image::LastErrorText() const { return ErrorTextOn(errorPath_, lastError_, cue_.has_value()); }

std::size_t Image::PartAt(std::int64_t position) const
{
    if (parts_.size() == 1) return 0;
    const auto after = std::upper_bound(parts_.begin() + 1, parts_.end(), position,
                                        [](std::int64_t at, const Part& part) { return at < part.offset; });
    return static_cast<std::size_t>(after - parts_.begin()) - 1;
}

std::int64_t Image::EndOf(std::size_t i) const { return i + 1 < parts_.size() ? parts_[i + 1].offset : kNoEnd; }

std::int64_t Image::Length()
{
    if (parts_.empty()) {
        NotOpen();
        return -1;
    }
    Part& last = parts_.back();
    const std::int64_t length = last.file.Length();
    if (length < 0) {
        Fail(last);
        return -1;
    }
    return last.offset + length;
}

std::int64_t Image::ReadAt(std::int64_t position, void* buffer, std::int64_t n)
{
    if (position < 0 || (parts_.empty() && NotOpen())) return -1;
    auto* p = static_cast<std::uint8_t*>(buffer);
    std::int64_t done = 0;
    for (std::size_t i = PartAt(position); done < n && i < parts_.size(); ++i) {
        Part& part = parts_[i];
        const std::int64_t at = position + done;
        const std::int64_t want = std::min(n - done, EndOf(i) - at);
        const std::int64_t got = part.file.ReadAt(at - part.offset, p + done, want);
        if (got < 0) {
            Fail(part);
            return -1;
        }
        done += got;
        if (got < want) break;  // the range ends here
    }
    return done;
}

bool Image::WriteAt(std::int64_t position, const void* buffer, std::int64_t n)
{
    if (parts_.empty()) return NotOpen();
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    std::int64_t done = 0;
    for (std::size_t i = PartAt(position); done < n; ++i) {
        Part& part = parts_[i];
        const std::int64_t at = position + done;
        const std::int64_t put = std::min(n - done, EndOf(i) - at);
        part.touched = true;
        if (!part.file.WriteAt(at - part.offset, p + done, put)) return Fail(part);
        done += put;
    }
    return true;
}

bool Image::SyncData()
{
    for (Part& part : parts_) {
        if (!part.touched) continue;
        if (!part.file.SyncData()) return Fail(part);
        part.touched = false;
    }
    return true;
}

bool Image::IsSparse() const
{
    return std::any_of(parts_.begin(), parts_.end(), [](const Part& part) { return part.file.IsSparse(); });
}

int Image::Reserve(std::int64_t offset, std::int64_t length)
{
    if (length <= 0) return 0;
    if (parts_.empty()) {
        NotOpen();
        return EBADF;
    }
    const std::int64_t end = offset + length;
    for (std::size_t i = PartAt(offset); i < parts_.size(); ++i) {
        Part& part = parts_[i];
        const std::int64_t from = std::max(offset, part.offset);
        const std::int64_t to = std::min(end, EndOf(i));
        if (from >= to) break;
        part.touched = part.touched || i + 1 == parts_.size();
        if (const int rc = part.file.Reserve(from - part.offset, to - from); rc != 0) {
            Fail(part);
            return rc;
        }
    }
    return 0;
}

bool Image::SetLength(std::int64_t length)
{
    if (parts_.empty()) return NotOpen();
    Part& last = parts_.back();
    if (length < last.offset) {
        lastError_ = EINVAL;
        errorPath_ = last.path;
        return false;
    }
    last.touched = true;
    return last.file.SetLength(length - last.offset) || Fail(last);
}

bool Image::Map(std::int64_t length, ImageMap& map)
{
    map.Unmap();
    map.named_ = cue_.has_value();
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        Part& part = parts_[i];
        const std::int64_t end = std::min(length, EndOf(i));
        if (end <= part.offset) break;
        ImageMap::Region& region = map.regions_.emplace_back();
        region.start = part.offset;
        region.end = end;
        region.path = part.path;
        part.touched = true;
        if (!part.file.Map(end - part.offset, region.map)) {
            Fail(part);
            map.Unmap();
            return false;
        }
    }
    return map.Mapped();
}

void ImageMap::Copy(std::int64_t offset, const std::uint8_t* data, std::size_t n)
{
    const Region* region = &regions_[last_];
    const auto end = offset + static_cast<std::int64_t>(n);
    if (offset >= region->start && end <= region->end) {
        std::memcpy(region->map.Data() + (offset - region->start), data, n);
        return;
    }
    // Another file, or across the end of one.
    for (std::size_t i = 0; i < regions_.size() && offset < end; ++i) {
        region = &regions_[i];
        if (offset >= region->end) continue;
        const std::int64_t k = std::min(end, region->end) - offset;
        std::memcpy(region->map.Data() + (offset - region->start), data, static_cast<std::size_t>(k));
        data += k;
        offset += k;
        last_ = i;
    }
}

bool ImageMap::Failed(const Region& region, int error)
{
    error_ = error;
    errorPath_ = region.path;
    return false;
}

bool ImageMap::Flush()
{
    for (Region& region : regions_)
        if (!region.map.Flush()) return Failed(region, region.map.LastError());
    return true;
}

bool ImageMap::Unmap()
{
    bool unmapped = true;
    for (Region& region : regions_)
        if (!region.map.Unmap() && unmapped) unmapped = Failed(region, region.map.LastError());
    regions_.clear();
    last_ = 0;
    return unmapped;
}

std::string ImageMap::ErrorText() const { return ErrorTextOn(errorPath_, error_, named_); }

}  // namespace kdx
