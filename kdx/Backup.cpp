#include "kdx/Backup.h"

#include "kdx/Layout.h"
#include "kdx/PatchOutput.h"
#include "kdx/RecordBuilder.h"
#include "kdx/RecordReader.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kdx {

namespace {

constexpr const VersionLayout& kLayout = kVersions[2];  // version 3.0
constexpr auto kHeadBytes = static_cast<unsigned>(kLayout.RecordHead());

// As the writer compares a patch with its images: the same file under any name.
bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

std::vector<std::uint8_t> Header(const std::string& description)
{
    std::vector<std::uint8_t> h(static_cast<std::size_t>(kLayout.shortHeader), 0);
    std::copy(kMagicText, kMagicText + field::kMagic.size, h.begin());
    h[field::kVersionDigits.at] = '3';
    h[field::kVersionDigits.at + 1] = '0';
    h[field::kMethod.at] = static_cast<std::uint8_t>(kLayout.method);
    std::copy(description.begin(), description.end(), h.begin() + field::kDescription.at);
    // Image type, block check and undo flags stay 0: a backup carries none of them.
    return h;
}

// The image's bytes through one buffer: large reads while the places follow
// one another, small ones where they jump. Past its end the image reads as
// zeros, as the file system fills a grown file.
class ImageWindow {
public:
    static constexpr std::size_t kLarge = 1 << 20;
    static constexpr std::size_t kSmall = 4096;

    ImageWindow(File& image, std::int64_t length) : image_(image), length_(length), buffer_(kLarge) {}

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
    File& image_;
    std::int64_t length_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t start_ = 0;
    std::size_t filled_ = 0;
};

class BackupWriter {
public:
    BackupWriter(const BackupTarget& target, File& image) : target_(target), image_(image), out_(target.backup) {}
    BackupResult Run(const Patch& loaded, File& patch, Write which);

private:
    BackupResult& Fail(BackupStatus status, const std::string& path, int error)
    {
        result_.status = status;
        result_.path = path;
        result_.error = error;
        return result_;
    }
    BackupResult& FailOutput()
    {
        const BackupStatus status = out_.Failed() == PatchOutput::Failure::Create  ? BackupStatus::CantCreate
                                    : out_.Failed() == PatchOutput::Failure::Place ? BackupStatus::CantPlace
                                                                                   : BackupStatus::CantWrite;
        return Fail(status, out_.ErrorPath(), out_.Error());
    }
    bool Emit(std::int64_t offset, const std::uint8_t* bytes, unsigned n);
    // Streams the places of the records; false when the records are unsound
    // or a read or write failed (result_ says which).
    bool Records(File& patch, const RecordFormat& format);

    const BackupTarget& target_;
    File& image_;
    PatchOutput out_;
    BackupResult result_;
};

bool BackupWriter::Emit(std::int64_t offset, const std::uint8_t* bytes, unsigned n)
{
    std::uint8_t head[9];
    for (int i = 0; i < kLayout.offsetBytes; ++i)
        head[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(offset) >> (8 * i));
    head[kLayout.offsetBytes] = static_cast<std::uint8_t>(n);
    ++result_.records;
    return out_.Append(head, kHeadBytes) && out_.Append(bytes, n);
}

bool BackupWriter::Records(File& patch, const RecordFormat& format)
{
    // The builder sees the places as changed bytes (the image's against their
    // complement) and the gaps it may bridge as unchanged ones, so records are
    // merged and split as for a patch that is made.
    RecordBuilder builder(kHeadBytes, 1, [this](std::int64_t offset, const std::uint8_t* bytes, const std::uint8_t*,
                                                unsigned n) { return Emit(offset, bytes, n); });
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
            Fail(BackupStatus::CantReadImage, target_.image, image_.LastError());
            return false;
        }
        const auto gap = static_cast<std::size_t>(record.offset - from);
        for (std::size_t i = 0; i < n; ++i) other[i] = i < gap ? bytes[i] : static_cast<std::uint8_t>(~bytes[i]);
        if (!builder.Feed(from, other, bytes, n)) return false;
        cursor = end;
    }
    return builder.Finish();
}

BackupResult BackupWriter::Run(const Patch& loaded, File& patch, Write which)
{
    if (SameFile(target_.backup, target_.image)) return Fail(BackupStatus::SameAsImage, target_.backup, 0);
    if (SameFile(target_.backup, loaded.path)) return Fail(BackupStatus::SameAsPatch, target_.backup, 0);
    if (loaded.patchDataLength <= 0) return Fail(BackupStatus::NotNeeded, {}, 0);
    result_.imageLength = image_.Length();
    if (result_.imageLength < 0) return Fail(BackupStatus::CantReadImage, target_.image, image_.LastError());

    const std::vector<std::uint8_t> header = Header(BackupDescription(target_.image));
    if (!out_.Begin() || !out_.Append(header.data(), header.size())) return FailOutput();
    const RecordFormat format = which == Write::Undo ? loaded.Records(true) : loaded.Records();
    if (!Records(patch, format)) return result_.status != BackupStatus::Written ? result_ : FailOutput();

    // A backup of nothing still applies (as a no-op), and records that end
    // in "DIZ" and two bytes would read as a trailer: an empty record
    // follows then, as the writer does.
    const std::size_t tag = diz::kTagLength + static_cast<std::size_t>(kLayout.dizLengthBytes);
    const bool endsLikeTrailer = out_.FromEnd(tag) == 'D' && out_.FromEnd(tag - 1) == 'I' && out_.FromEnd(tag - 2) == 'Z';
    const std::uint8_t none[1] = {};
    if ((result_.records == 0 || endsLikeTrailer) && !Emit(0, none, 0)) return FailOutput();
    if (!out_.Commit()) return FailOutput();
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

BackupResult WriteBackup(const BackupTarget& target, const Patch& loaded, File& patch, File& image, Write which)
{
    BackupWriter writer(target, image);
    return writer.Run(loaded, patch, which);
}

}  // namespace kdx
