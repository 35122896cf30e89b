#include "kdx/Backup.h"

#include "kdx/Layout.h"
#include "kdx/PatchWriter.h"
#include "kdx/RecordReader.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kdx {

namespace {

// A backup is a version 3.0 patch: 64-bit offsets reach any place.
constexpr int kVersion = 3;
constexpr auto kHeadBytes = static_cast<std::int64_t>(LayoutForVersion(kVersion)->RecordHead());

// The image's bytes through one buffer: large reads while the places follow
// one another, small ones where they jump. Past its end the image reads as
// zeros, as the file system fills a grown file.
class ImageWindow {
public:
    static constexpr std::size_t kLarge = 1 << 20;
    static constexpr std::size_t kSmall = 4096;

    ImageWindow(Image& image, std::int64_t length) : image_(image), length_(length), buffer_(kLarge) {}

    // Copies the n bytes at offset to out; false when the image does not hold them.
    bool Copy(std::int64_t offset, std::size_t n, std::uint8_t* out)
    {
        const auto held = static_cast<std::size_t>(std::clamp<std::int64_t>(length_ - offset, 0, static_cast<std::int64_t>(n)));
        std::fill(out + held, out + n, 0);
        if (held == 0) return true;
        const std::int64_t end = start_ + static_cast<std::int64_t>(filled_);
        if (offset < start_ || offset + static_cast<std::int64_t>(held) > end) {
            const bool onward = filled_ > 0 && offset >= start_ && offset <= end;
            const auto want = static_cast<std::int64_t>(std::max(onward ? kLarge : kSmall, held));
            const std::int64_t got = image_.ReadAt(offset, buffer_.data(), want);
            start_ = offset;
            filled_ = got < 0 ? 0 : static_cast<std::size_t>(got);
            if (filled_ < held) return false;
        }
        std::copy_n(buffer_.data() + (offset - start_), held, out);
        return true;
    }

private:
    Image& image_;
    std::int64_t length_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t start_ = 0;
    std::size_t filled_ = 0;
};

class BackupWriter {
public:
    // The backup goes to the image's file system.
    BackupWriter(const BackupTarget& target, Image& image)
        : target_(target), image_(image), writer_(target.backup, image.System())
    {
    }
    BackupResult Run(const Patch& loaded, File& patch, const RecordFormat& format);

private:
    BackupResult& Fail(BackupStatus status, const std::string& path, int error)
    {
        result_.status = status;
        result_.path = path;
        result_.error = error;
        return result_;
    }
    BackupResult& FailWriter()
    {
        const BackupStatus status = writer_.Failed() == PatchWriter::Failure::Create  ? BackupStatus::CantCreate
                                    : writer_.Failed() == PatchWriter::Failure::Place ? BackupStatus::CantPlace
                                                                                      : BackupStatus::CantWrite;
        return Fail(status, writer_.ErrorPath(), writer_.Error());
    }
    // Streams the places of the records; false when the records are unsound
    // or a read or write failed (result_ says which).
    bool Records(File& patch, const RecordFormat& format);

    // The image, or behind a cue sheet the track file that failed.
    const std::string& FailedImagePath() const { return image_.Cue() != nullptr ? image_.ErrorPath() : target_.image; }

    const BackupTarget& target_;
    Image& image_;
    PatchWriter writer_;
    BackupResult result_;
};

bool BackupWriter::Records(File& patch, const RecordFormat& format)
{
    // The builder sees the places as changed bytes (the image's against their
    // complement) and the gaps it may bridge as unchanged ones, so records are
    // merged and split as for a patch that is made.
    RecordBuilder builder = writer_.Builder();
    ImageWindow window(image_, result_.imageLength);
    std::uint8_t bytes[kMaxRecordBytes + 9];
    std::uint8_t other[kMaxRecordBytes + 9];
    std::int64_t cursor = -1;  // where the bytes fed to the builder end
    RecordReader reader(patch, format);
    Record record;
    for (;;) {
        const RecordReader::Status status = reader.Next(record);
        if (status == RecordReader::Status::End) break;
        if (status == RecordReader::Status::Damaged || record.offset < 0 || record.offset > INT64_MAX - record.count) {
            Fail(BackupStatus::NotNeeded, {}, 0);
            return false;
        }
        if (record.count == 0) continue;
        const std::int64_t end = record.offset + record.count;
        result_.writeEnd = std::max(result_.writeEnd, end);
        std::int64_t from = record.offset;
        if (cursor >= 0 && record.offset >= cursor && record.offset - cursor < kHeadBytes) {
            from = cursor;  // a gap the builder may bridge
        } else if (!builder.Finish()) {
            return false;
        }
        const auto n = static_cast<std::size_t>(end - from);
        if (!window.Copy(from, n, bytes)) {
            Fail(BackupStatus::CantReadImage, FailedImagePath(), image_.LastError());
            return false;
        }
        const auto gap = static_cast<std::size_t>(record.offset - from);
        for (std::size_t i = 0; i < n; ++i) other[i] = i < gap ? bytes[i] : static_cast<std::uint8_t>(~bytes[i]);
        if (!builder.Feed(from, other, bytes, n)) return false;
        cursor = end;
    }
    return builder.Finish();
}

BackupResult BackupWriter::Run(const Patch& loaded, File& patch, const RecordFormat& format)
{
    FileSystem& files = image_.System();
    if (image_.Includes(target_.backup) || SameFile(target_.backup, target_.image, files))
        return Fail(BackupStatus::SameAsImage, target_.backup, 0);
    if (SameFile(target_.backup, loaded.path, files)) return Fail(BackupStatus::SameAsPatch, target_.backup, 0);
    if (loaded.patchDataLength <= 0) return Fail(BackupStatus::NotNeeded, {}, 0);
    result_.imageLength = image_.Length();
    if (result_.imageLength < 0) return Fail(BackupStatus::CantReadImage, FailedImagePath(), image_.LastError());

    // Image type, block check and undo flags stay off: a backup carries none of them.
    PatchHeader header;
    header.version = kVersion;
    header.description = BackupDescription(target_.image);
    if (!writer_.Begin(header)) return FailWriter();
    if (!Records(patch, format)) return result_.status != BackupStatus::Written ? result_ : FailWriter();
    // A backup of nothing still applies, as a no-op: the writer gives it an empty record.
    if (!writer_.Finish(nullptr)) return FailWriter();
    result_.records = writer_.Records();
    result_.path = target_.backup;
    return result_;
}

}  // namespace

std::string BackupDescription(const std::string& imagePath)
{
    // Cut at the separators by hand: a path type would re-encode a UTF-8 name on Windows.
    const char* separators = std::filesystem::path::preferred_separator == '\\' ? "/\\:" : "/";
    const std::size_t cut = imagePath.find_last_of(separators);
    std::string text = "Backup of " + (cut == std::string::npos ? imagePath : imagePath.substr(cut + 1));
    text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(field::kDescription.size)));
    return text;
}

BackupResult WriteBackup(const BackupTarget& target, const Patch& loaded, File& patch, Image& image,
                         const WriteChoice& writes)
{
    BackupWriter writer(target, image);
    return writer.Run(loaded, patch, writes.records);
}

}  // namespace kdx
