#include "kdx/PatchWriter.h"

#include "kdx/File.h"
#include "kdx/ImageSectors.h"
#include "kdx/Layout.h"
#include "kdx/PatchOutput.h"
#include "kdx/RecordBuilder.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kdx {

namespace {

constexpr std::int64_t k4GiB = std::int64_t{1} << 32;
constexpr std::int64_t kChunk = 1 << 20;      // bytes of each image read at a time
constexpr std::size_t kPumpSlice = 64 << 10;  // bytes compared between two pumps
constexpr auto kDescriptionBytes = static_cast<std::size_t>(field::kDescription.size);
constexpr std::int64_t kBlockLength = field::kBlockData.size;

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

// What the options ask for that the version cannot carry; Written when all fits.
MakeStatus OptionRefusal(const PatchWriteOptions& o, std::int64_t& number)
{
    if (o.version < 1 || o.version > 3) {
        number = o.version;
        return MakeStatus::UnknownVersion;
    }
    if (o.undo && o.version != 3) return MakeStatus::UndoNeedsVersion3;
    if (o.blockCheck && o.version == 1) return MakeStatus::NoBlockInVersion1;
    if (o.giImage && o.version != 3) return MakeStatus::GiNeedsVersion3;
    if (o.description.size() > kDescriptionBytes) {
        number = static_cast<std::int64_t>(o.description.size());
        return MakeStatus::DescriptionTooLong;
    }
    if (o.dizPath && o.version == 1) return MakeStatus::DizInVersion1;
    if (SameFile(o.patch, o.original) || SameFile(o.patch, o.modified)) return MakeStatus::PatchIsAnImage;
    return MakeStatus::Written;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Header(const PatchWriteOptions& o, const VersionLayout& layout, std::int64_t originalLength,
                                 const std::uint8_t* block)
{
    const bool withBlock = layout.blockAlways || (layout.hasFlags && o.blockCheck);
    std::vector<std::uint8_t> h(static_cast<std::size_t>(withBlock ? layout.blockHeader : layout.shortHeader), 0);
    const auto put = [&h](const Field& f, std::uint8_t byte) { h[static_cast<std::size_t>(f.at)] = byte; };
    std::copy(kMagicText, kMagicText + field::kMagic.size, h.begin());
    // Readers look only at the method byte; the two before it carry the version's digits.
    h[field::kVersionDigits.at] = static_cast<std::uint8_t>('0' + o.version);
    h[field::kVersionDigits.at + 1] = '0';
    put(field::kMethod, static_cast<std::uint8_t>(layout.method));
    std::copy(o.description.begin(), o.description.end(), h.begin() + field::kDescription.at);
    if (layout.storesImageSize)
        for (int i = 0; i < field::kImageSize.size; ++i)
            h[static_cast<std::size_t>(field::kImageSize.at + i)] =
                static_cast<std::uint8_t>(static_cast<std::uint64_t>(originalLength) >> (8 * i));
    if (layout.hasFlags) {
        put(field::kImageType, o.giImage ? kGiImageType : 0);
        put(field::kBlockCheckFlag, o.blockCheck ? kBlockCheckOn : 0);
        put(field::kUndoFlag, o.undo ? 1 : 0);
    }
    if (withBlock) std::copy(block, block + kBlockLength, h.begin() + field::kBlockData.at);
    return h;
}

class Writer {
public:
    Writer(const PatchWriteOptions& options, Observer& observer)
        : o_(options), observer_(observer), out_(options.patch)
    {
        result_.version = options.version;
    }
    PatchWriteResult Run();

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
    bool BeyondReach(std::int64_t offset)
    {
        result_.number = offset;
        return Fail(MakeStatus::BeyondReach);
    }
    bool FailOutput();
    bool ReadDizFile();
    // Opens an input image read-only and takes its length.
    bool OpenImage(File& file, WhichImage which, std::int64_t& length);
    bool ReadExactly(File& file, WhichImage which, std::int64_t at, std::uint8_t* buffer, std::int64_t n);
    bool Prepare();
    bool Scan();
    bool EmitRecord(std::int64_t offset, const std::uint8_t* modified, const std::uint8_t* original, unsigned n);
    bool Finish();

    const PatchWriteOptions& o_;
    Observer& observer_;
    PatchOutput out_;
    PatchWriteResult result_;
    File original_;
    File modified_;
    std::int64_t originalLength_ = 0;
    std::int64_t modifiedLength_ = 0;
    std::uint8_t block_[kBlockLength] = {};
    std::int64_t headerLength_ = 0;
    std::string diz_;
    bool rawModified_ = false;
};

bool Writer::FailOutput()
{
    switch (out_.Failed()) {
    case PatchOutput::Failure::Create: return FailOn(MakeStatus::CantCreatePatch, out_.ErrorPath(), out_.Error());
    case PatchOutput::Failure::Place: return FailOn(MakeStatus::CantPlacePatch, out_.ErrorPath(), out_.Error());
    case PatchOutput::Failure::Write:
    case PatchOutput::Failure::None: break;
    }
    return FailOn(MakeStatus::CantWritePatch, out_.ErrorPath(), out_.Error());
}

bool Writer::ReadDizFile()
{
    File file;
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

bool Writer::OpenImage(File& file, WhichImage which, std::int64_t& length)
{
    const std::string& path = which == WhichImage::Original ? o_.original : o_.modified;
    if (!OpenReadOnly(file, path)) return FailOnImage(MakeStatus::CantOpenImage, which, file.LastError());
    length = file.Length();
    return length >= 0 || FailOnImage(MakeStatus::CantReadImage, which, file.LastError());
}

bool Writer::ReadExactly(File& file, WhichImage which, std::int64_t at, std::uint8_t* buffer, std::int64_t n)
{
    const std::int64_t got = file.ReadAt(at, buffer, n);
    if (got == n) return true;
    return got < 0 ? FailOnImage(MakeStatus::CantReadImage, which, file.LastError())
                   : FailOnImage(MakeStatus::ImageChanged, which, 0);
}

bool Writer::Prepare()
{
    if (const MakeStatus refusal = OptionRefusal(o_, result_.number); refusal != MakeStatus::Written) {
        if (refusal == MakeStatus::PatchIsAnImage) result_.path = o_.patch;
        return Fail(refusal);
    }
    if (SameFile(o_.original, o_.modified)) return Fail(MakeStatus::Identical);
    if (o_.dizPath && !ReadDizFile()) return false;

    if (!OpenImage(original_, WhichImage::Original, originalLength_)) return false;
    if (!OpenImage(modified_, WhichImage::Modified, modifiedLength_)) return false;
    if (modifiedLength_ < originalLength_) return Fail(MakeStatus::ModifiedShorter);
    // A grown image's last byte is always written, so growth beyond 4 GiB is a change there.
    if (o_.version < 3 && modifiedLength_ > originalLength_ && modifiedLength_ - 1 >= k4GiB)
        return BeyondReach(modifiedLength_ - 1);
    if (o_.version == 2 && originalLength_ >= k4GiB) return Fail(MakeStatus::OriginalTooLarge);
    std::uint64_t sectors = 0;
    rawModified_ = JudgeImage(modified_, sectors) == RawVerdict::Raw;

    const VersionLayout& layout = *LayoutForVersion(o_.version);
    const bool withBlock = layout.blockAlways || (layout.hasFlags && o_.blockCheck);
    if (withBlock) {
        const std::int64_t at = layout.hasFlags && o_.giImage ? kBlockPositionGi : kBlockPositionNormal;
        if (originalLength_ < at + kBlockLength) {
            result_.number = at + kBlockLength;
            result_.position = at;
            return Fail(MakeStatus::OriginalTooShort);
        }
        if (!ReadExactly(original_, WhichImage::Original, at, block_, kBlockLength)) return false;
    }
    if (!out_.Begin()) return FailOutput();
    const std::vector<std::uint8_t> header = Header(o_, layout, originalLength_, block_);
    headerLength_ = static_cast<std::int64_t>(header.size());
    return out_.Append(header.data(), header.size()) || FailOutput();
}

bool Writer::EmitRecord(std::int64_t offset, const std::uint8_t* modified, const std::uint8_t* original, unsigned n)
{
    if (o_.version < 3 && offset + n - 1 >= k4GiB) return BeyondReach(offset + n - 1);
    std::uint8_t head[9];
    const int width = LayoutForVersion(o_.version)->offsetBytes;
    for (int i = 0; i < width; ++i) head[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(offset) >> (8 * i));
    head[width] = static_cast<std::uint8_t>(n);
    const bool ok = out_.Append(head, static_cast<std::size_t>(width) + 1) && out_.Append(modified, n) &&
                    (!o_.undo || out_.Append(original, n));
    return ok || FailOutput();
}

bool Writer::Scan()
{
    const auto headBytes = static_cast<unsigned>(LayoutForVersion(o_.version)->RecordHead());
    RecordBuilder builder(headBytes, o_.undo ? 2 : 1,
                          [this](std::int64_t offset, const std::uint8_t* m, const std::uint8_t* orig, unsigned n) {
                              return EmitRecord(offset, m, orig, n);
                          });
    if (modifiedLength_ > originalLength_) builder.ForceChange(modifiedLength_ - 1);

    // Never larger than the image: small images cost small buffers. Whole
    // sectors of a raw image, so that each is judged in one piece.
    const std::int64_t most = rawModified_ ? kChunk - kChunk % static_cast<std::int64_t>(kSectorSize) : kChunk;
    const auto chunk = static_cast<std::size_t>(std::clamp<std::int64_t>(modifiedLength_, 1, most));
    BrokenSectors broken;
    std::vector<std::uint8_t> original(chunk);
    std::vector<std::uint8_t> modified(chunk);
    for (std::int64_t pos = 0; pos < modifiedLength_;) {
        const auto len = static_cast<std::size_t>(std::min(static_cast<std::int64_t>(chunk), modifiedLength_ - pos));
        // Past the original's end the image reads as zero, as the file system fills a grown file.
        const auto fromOriginal =
            static_cast<std::size_t>(std::clamp<std::int64_t>(originalLength_ - pos, 0, static_cast<std::int64_t>(len)));
        std::fill(original.begin() + static_cast<std::ptrdiff_t>(fromOriginal), original.end(), 0);
        if (!ReadExactly(original_, WhichImage::Original, pos, original.data(), static_cast<std::int64_t>(fromOriginal)) ||
            !ReadExactly(modified_, WhichImage::Modified, pos, modified.data(), static_cast<std::int64_t>(len)))
            return false;
        if (rawModified_)
            FindBrokenSectors(static_cast<std::uint64_t>(pos) / kSectorSize, {original.data(), len},
                              {modified.data(), len}, o_.fixSectors, broken);
        for (std::size_t at = 0; at < len; at += kPumpSlice) {
            const std::size_t n = std::min(kPumpSlice, len - at);
            if (!builder.Feed(pos + static_cast<std::int64_t>(at), original.data() + at, modified.data() + at, n))
                return false;
            observer_.Step(pos + static_cast<std::int64_t>(at + n), modifiedLength_);
        }
        pos += static_cast<std::int64_t>(len);
    }
    if (!builder.Finish()) return false;
    result_.records = builder.Records();
    result_.brokenSectors = static_cast<std::int64_t>(broken.count);
    result_.firstBrokenSector = broken.count > 0 ? static_cast<std::int64_t>(broken.first) : -1;
    return true;
}

bool Writer::Finish()
{
    if (result_.records == 0) return Fail(MakeStatus::Identical);
    result_.patchDataLength = out_.Length() - headerLength_;

    const VersionLayout& layout = *LayoutForVersion(o_.version);
    const int lengthBytes = layout.dizLengthBytes;
    if (lengthBytes > 0 && !o_.dizPath) {
        // Readers take "DIZ" at this place as the mark of a trailer: records
        // that happen to end so get an empty record after them.
        const std::size_t tag = diz::kTagLength + static_cast<std::size_t>(lengthBytes);
        if (out_.FromEnd(tag) == 'D' && out_.FromEnd(tag - 1) == 'I' && out_.FromEnd(tag - 2) == 'Z') {
            const std::uint8_t empty[9] = {};
            if (!EmitRecord(0, empty, empty, 0)) return false;
            ++result_.records;
            result_.patchDataLength += layout.RecordHead();
        }
    }
    if (o_.dizPath) {
        std::vector<std::uint8_t> trailer;
        trailer.insert(trailer.end(), diz::kLeadInText, diz::kLeadInText + diz::kLeadIn);
        trailer.insert(trailer.end(), diz_.begin(), diz_.end());
        trailer.insert(trailer.end(), diz::kEndMarkerText, diz::kEndMarkerText + diz::kEndMarker);
        PutLittleEndian(trailer, diz_.size(), lengthBytes);
        if (!out_.Append(trailer.data(), trailer.size())) return FailOutput();
    }
    result_.patchLength = out_.Length();
    return out_.Commit() || FailOutput();
}

PatchWriteResult Writer::Run()
{
    if (Prepare() && Scan() && Finish()) result_.status = MakeStatus::Written;
    return result_;
}

}  // namespace

PatchWriteResult WritePatch(const PatchWriteOptions& options, Observer& observer)
{
    Writer writer(options, observer);
    return writer.Run();
}

}  // namespace kdx
