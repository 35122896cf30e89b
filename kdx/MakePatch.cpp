#include "kdx/MakePatch.h"

#include "kdx/File.h"
#include "kdx/Image.h"
#include "kdx/ImageSectors.h"
#include "kdx/Layout.h"
#include "kdx/PatchWriter.h"

#include <algorithm>
#include <vector>

namespace kdx {

namespace {

constexpr std::int64_t kSizeLimit = std::int64_t{1} << (8 * field::kImageSize.size);  // 2.0's stored size
constexpr std::int64_t kChunk = 1 << 20;      // bytes of each image read at a time
constexpr std::size_t kPumpSlice = 64 << 10;  // bytes compared between two pumps
constexpr auto kDescriptionBytes = static_cast<std::size_t>(field::kDescription.size);
constexpr std::int64_t kBlockLength = field::kBlockData.size;

// What the options ask for that the version cannot carry; Written when all fits.
MakeStatus OptionRefusal(const MakeOptions& o, FileSystem& files, std::int64_t& number)
{
    const VersionLayout* layout = LayoutForVersion(o.version);
    if (layout == nullptr) {
        number = o.version;
        return MakeStatus::UnknownVersion;
    }
    if (o.undo && !layout->hasFlags) return MakeStatus::UndoNeedsVersion3;
    if (o.blockCheck && !layout->HoldsBlock(true)) return MakeStatus::NoBlockInVersion1;
    if (o.giImage && !layout->hasFlags) return MakeStatus::GiNeedsVersion3;
    if (o.description.size() > kDescriptionBytes) {
        number = static_cast<std::int64_t>(o.description.size());
        return MakeStatus::DescriptionTooLong;
    }
    if (o.dizPath && layout->dizLengthBytes == 0) return MakeStatus::DizInVersion1;
    if (SameFile(o.patch, o.original, files) || SameFile(o.patch, o.modified, files)) return MakeStatus::PatchIsAnImage;
    return MakeStatus::Written;
}

class Maker {
public:
    Maker(const MakeOptions& options, Observer& observer, FileSystem& files)
        : o_(options), observer_(observer), files_(files), writer_(options.patch, files), original_(files),
          modified_(files)
    {
        result_.version = options.version;
    }
    MakeResult Run();

private:
    bool Fail(MakeStatus status)
    {
        result_.status = status;
        return false;
    }
    bool FailOn(MakeStatus status, const std::string& path, int error)
    {
        result_.path = path;
        result_.error = error;
        return Fail(status);
    }
    bool FailOnImage(MakeStatus status, WhichImage which, int error)
    {
        result_.image = which;
        return FailOn(status, which == WhichImage::Original ? o_.original : o_.modified, error);
    }
    // A read of an image failed: behind a cue sheet, the track file says where.
    bool FailOnRead(MakeStatus status, WhichImage which, Image& image, int error)
    {
        if (image.Cue() == nullptr) return FailOnImage(status, which, error);
        result_.image = which;
        return FailOn(status, image.ErrorPath(), error);
    }
    bool BeyondReach(std::int64_t offset)
    {
        result_.number = offset;
        return Fail(MakeStatus::BeyondReach);
    }
    bool FailWriter();
    bool ReadDizFile();
    // Opens an input image read-only and takes its length.
    bool OpenImage(Image& image, WhichImage which, std::int64_t& length);
    bool ReadExactly(Image& image, WhichImage which, std::int64_t at, std::uint8_t* buffer, std::int64_t n);
    // The bytes from pos to compare next: of a raw MODIFIED whole sectors of one track.
    std::int64_t ChunkAt(std::int64_t pos, std::int64_t most, const SectorTrack*& track) const;
    bool Prepare();
    bool Scan();
    bool Finish();

    const MakeOptions& o_;
    Observer& observer_;
    FileSystem& files_;
    PatchWriter writer_;
    MakeResult result_;
    Image original_;
    Image modified_;
    std::int64_t originalLength_ = 0;
    std::int64_t modifiedLength_ = 0;
    std::uint8_t block_[kBlockLength] = {};
    std::string diz_;
    SectorLayout layout_;  // MODIFIED's sectors, when it has any to check
};

bool Maker::FailWriter()
{
    MakeStatus status = MakeStatus::CantWritePatch;
    switch (writer_.Failed()) {
    case PatchWriter::Failure::BeyondReach: return BeyondReach(writer_.Beyond());
    case PatchWriter::Failure::Create: status = MakeStatus::CantCreatePatch; break;
    case PatchWriter::Failure::Place: status = MakeStatus::CantPlacePatch; break;
    case PatchWriter::Failure::Write:
    case PatchWriter::Failure::None: break;
    }
    return FailOn(status, writer_.ErrorPath(), writer_.Error());
}

bool Maker::ReadDizFile()
{
    File file(files_);
    if (!OpenReadOnly(file, *o_.dizPath)) return FailOn(MakeStatus::CantOpenDiz, *o_.dizPath, file.LastError());
    const std::int64_t length = file.Length();
    if (length > diz::kTextMax) {
        result_.number = length;
        return Fail(MakeStatus::DizTooLong);
    }
    diz_.assign(static_cast<std::size_t>(std::max<std::int64_t>(length, 0)), '\0');
    if (length < 0 || file.ReadAt(0, diz_.data(), length) != length)
        return FailOn(MakeStatus::CantReadDiz, *o_.dizPath, file.LastError());
    return true;
}

bool Maker::OpenImage(Image& image, WhichImage which, std::int64_t& length)
{
    const std::string& path = which == WhichImage::Original ? o_.original : o_.modified;
    ImageOpenResult opened = image.Open(path, false);
    result_.image = which;
    switch (opened.status) {
    case ImageOpenStatus::Opened: break;
    case ImageOpenStatus::CantOpen: return FailOn(MakeStatus::CantOpenImage, opened.path, opened.error);
    case ImageOpenStatus::NotCdImage: return FailOn(MakeStatus::NotCdImage, opened.path, 0);
    case ImageOpenStatus::Changed: return FailOn(MakeStatus::ImageChanged, opened.path, 0);
    case ImageOpenStatus::CueRefused:
        result_.problem = std::move(opened.problem);
        return Fail(MakeStatus::CueRefused);
    }
    length = image.Length();
    return length >= 0 || FailOnRead(MakeStatus::CantReadImage, which, image, image.LastError());
}

bool Maker::ReadExactly(Image& image, WhichImage which, std::int64_t at, std::uint8_t* buffer, std::int64_t n)
{
    const std::int64_t got = image.ReadAt(at, buffer, n);
    if (got == n) return true;
    return got < 0 ? FailOnRead(MakeStatus::CantReadImage, which, image, image.LastError())
                   : FailOnImage(MakeStatus::ImageChanged, which, 0);
}

std::int64_t Maker::ChunkAt(std::int64_t pos, std::int64_t most, const SectorTrack*& track) const
{
    track = nullptr;
    const std::size_t t = layout_.TrackAt(pos);
    if (t == layout_.tracks.size()) return std::min(most, modifiedLength_ - pos);
    const SectorTrack& in = layout_.tracks[t];
    if (in.Checked()) {
        track = &in;
        most -= most % in.size;
    }
    return std::min(most, in.ByteEnd() - pos);
}

bool Maker::Prepare()
{
    if (const MakeStatus refusal = OptionRefusal(o_, files_, result_.number); refusal != MakeStatus::Written) {
        if (refusal == MakeStatus::PatchIsAnImage) result_.path = o_.patch;
        return Fail(refusal);
    }
    if (SameFile(o_.original, o_.modified, files_)) return Fail(MakeStatus::Identical);
    if (o_.dizPath && !ReadDizFile()) return false;

    if (!OpenImage(original_, WhichImage::Original, originalLength_)) return false;
    if (!OpenImage(modified_, WhichImage::Modified, modifiedLength_)) return false;
    // Behind a cue sheet, the patch could name a track file (or the sheet) under another name.
    if (original_.Includes(o_.patch) || modified_.Includes(o_.patch)) {
        result_.path = o_.patch;
        return Fail(MakeStatus::PatchIsAnImage);
    }
    if (modifiedLength_ < originalLength_) return Fail(MakeStatus::ModifiedShorter);
    const VersionLayout& layout = *LayoutForVersion(o_.version);
    // A grown image's last byte is always written, so growth out of reach is a change there.
    if (modifiedLength_ > originalLength_ && modifiedLength_ - 1 >= layout.Reach())
        return BeyondReach(modifiedLength_ - 1);
    if (layout.storesImageSize && originalLength_ >= kSizeLimit) return Fail(MakeStatus::OriginalTooLarge);
    if (LayOutSectors(modified_, layout_) != RawVerdict::Raw || !layout_.AnyChecked()) layout_ = {};

    if (layout.HoldsBlock(o_.blockCheck)) {
        const std::int64_t at = layout.hasFlags && o_.giImage ? kBlockPositionGi : kBlockPositionNormal;
        if (originalLength_ < at + kBlockLength) {
            result_.number = at + kBlockLength;
            result_.position = at;
            return Fail(MakeStatus::OriginalTooShort);
        }
        if (!ReadExactly(original_, WhichImage::Original, at, block_, kBlockLength)) return false;
    }
    PatchHeader header;
    header.version = o_.version;
    header.undo = o_.undo;
    header.blockCheck = o_.blockCheck;
    header.giImage = o_.giImage;
    header.description = o_.description;
    header.imageSize = originalLength_;
    header.block = block_;
    return writer_.Begin(header) || FailWriter();
}

bool Maker::Scan()
{
    RecordBuilder builder = writer_.Builder();
    if (modifiedLength_ > originalLength_) builder.ForceChange(modifiedLength_ - 1);

    // Never larger than the image: small images cost small buffers.
    const auto chunk = static_cast<std::size_t>(std::clamp<std::int64_t>(modifiedLength_, 1, kChunk));
    BrokenSectors broken;
    std::vector<std::uint8_t> original(chunk);
    std::vector<std::uint8_t> modified(chunk);
    for (std::int64_t pos = 0; pos < modifiedLength_;) {
        // Whole sectors of a raw MODIFIED, so that each is judged in one piece.
        const SectorTrack* track = nullptr;
        const auto len = static_cast<std::size_t>(ChunkAt(pos, static_cast<std::int64_t>(chunk), track));
        // Past the original's end the image reads as zero, as the file system fills a grown file.
        const auto fromOriginal =
            static_cast<std::size_t>(std::clamp<std::int64_t>(originalLength_ - pos, 0, static_cast<std::int64_t>(len)));
        std::fill(original.begin() + static_cast<std::ptrdiff_t>(fromOriginal), original.end(), 0);
        if (!ReadExactly(original_, WhichImage::Original, pos, original.data(), static_cast<std::int64_t>(fromOriginal)) ||
            !ReadExactly(modified_, WhichImage::Modified, pos, modified.data(), static_cast<std::int64_t>(len)))
            return false;
        if (track != nullptr)
            FindBrokenSectors(*track, track->first + static_cast<std::uint64_t>((pos - track->offset) / track->size),
                              {original.data(), len}, {modified.data(), len}, o_.fixSectors, broken);
        for (std::size_t at = 0; at < len; at += kPumpSlice) {
            const std::size_t n = std::min(kPumpSlice, len - at);
            if (!builder.Feed(pos + static_cast<std::int64_t>(at), original.data() + at, modified.data() + at, n))
                return FailWriter();
            observer_.Step(pos + static_cast<std::int64_t>(at + n), modifiedLength_);
        }
        pos += static_cast<std::int64_t>(len);
    }
    if (!builder.Finish()) return FailWriter();
    result_.brokenSectors = static_cast<std::int64_t>(broken.count);
    result_.firstBrokenSector = broken.count > 0 ? static_cast<std::int64_t>(broken.first) : -1;
    return true;
}

bool Maker::Finish()
{
    if (writer_.Records() == 0) return Fail(MakeStatus::Identical);
    if (!writer_.Finish(o_.dizPath ? &diz_ : nullptr)) return FailWriter();
    result_.records = writer_.Records();
    result_.patchDataLength = writer_.PatchDataLength();
    result_.patchLength = writer_.Length();
    return true;
}

MakeResult Maker::Run()
{
    if (Prepare() && Scan() && Finish()) result_.status = MakeStatus::Written;
    return result_;
}

}  // namespace

MakeResult MakePatch(const MakeOptions& options, Observer& observer, FileSystem& files)
{
    Maker maker(options, observer, files);
    return maker.Run();
}

}  // namespace kdx
