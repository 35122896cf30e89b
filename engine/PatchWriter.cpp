#include "PatchWriter.h"

#include "BlockCheck.h"
#include "DizTrailer.h"
#include "PatchOutput.h"
#include "Progress.h"
#include "RecordBuilder.h"
#include "uKDX2.h"
#include "uKDX3.h"
#include "uStd.h"

#include "../platform/Services.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace engine {

namespace {

constexpr std::int64_t k4GiB = std::int64_t{1} << 32;
constexpr std::int64_t kChunk = 1 << 20;      // bytes of each image read at a time
constexpr std::size_t kPumpSlice = 64 << 10;  // bytes compared between two pumps
constexpr std::size_t kDescriptionBytes = 50;

std::string VersionName(int version) { return std::to_string(version) + ".0"; }

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

// What the options ask for that the version cannot carry; empty when all fits.
std::string OptionRefusal(const PatchWriteOptions& o)
{
    if (o.version < 1 || o.version > 3)
        return "Unknown patch version " + std::to_string(o.version) + "; versions 1, 2 and 3 are written.";
    if (o.undo && o.version != 3) return "Undo data needs a version 3.0 patch.";
    if (o.blockCheck && o.version == 1) return "A version 1.0 patch has no block check.";
    if (o.giImage && o.version != 3) return "The image type (GI image) needs a version 3.0 patch.";
    if (o.description.size() > kDescriptionBytes)
        return "The description is " + std::to_string(o.description.size()) + " bytes long; a patch holds at most 50.";
    if (o.dizPath && o.version == 1) return "A version 1.0 patch cannot carry a FILE_ID.DIZ text.";
    if (SameFile(o.patch, o.original) || SameFile(o.patch, o.modified))
        return "The patch would replace one of the images (" + o.patch + ").";
    return {};
}

bool ReadDizFile(const std::string& path, std::string& text, std::string& error)
{
    uStd::FileHandle file;
    if (!uStd::OpenReadOnly(file, path)) {
        error = "Can't open the FILE_ID.DIZ file (" + path + "): " + file.LastErrorText();
        return false;
    }
    const std::int64_t length = file.Length();
    if (length > kDizTextMax) {
        error = "The FILE_ID.DIZ text is " + std::to_string(length) + " bytes long; at most " +
                std::to_string(kDizTextMax) + " are allowed (readers show no more).";
        return false;
    }
    text.assign(static_cast<std::size_t>(std::max<std::int64_t>(length, 0)), '\0');
    if (length < 0 || file.ReadAt(0, text.data(), length) != length) {
        error = "Can't read the FILE_ID.DIZ file (" + path + "): " + file.LastErrorText();
        return false;
    }
    return true;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Header(const PatchWriteOptions& o, std::int64_t originalLength, const std::uint8_t* block)
{
    // Bytes 3 and 4 carry the version's digits; readers look only at the method byte.
    std::vector<std::uint8_t> h(6 + kDescriptionBytes, 0);
    const std::uint8_t lead[6] = {'K', 'D', 'X', static_cast<std::uint8_t>('0' + o.version), '0',
                                  static_cast<std::uint8_t>(o.version - 1)};
    std::copy(lead, lead + 6, h.begin());
    std::copy(o.description.begin(), o.description.end(), h.begin() + 6);
    if (o.version == 2) {
        PutLittleEndian(h, static_cast<std::uint64_t>(originalLength), 4);
        h.insert(h.end(), block, block + kBlockLength);
    } else if (o.version == 3) {
        h.push_back(o.giImage ? 1 : 0);
        h.push_back(o.blockCheck ? 1 : 0);
        h.push_back(o.undo ? 1 : 0);
        h.push_back(0);
        if (o.blockCheck) h.insert(h.end(), block, block + kBlockLength);
    }
    return h;
}

// Opens an input image read-only; its length, or -1 with error set.
std::int64_t OpenImage(uStd::FileHandle& file, const std::string& path, const char* which, std::string& error)
{
    if (!uStd::OpenReadOnly(file, path)) {
        error = std::string("Can't open the ") + which + " image (" + path + "): " + file.LastErrorText();
        return -1;
    }
    const std::int64_t length = file.Length();
    if (length < 0) error = std::string("Can't read the ") + which + " image (" + path + "): " + file.LastErrorText();
    return length;
}

bool ReadExactly(uStd::FileHandle& file, std::int64_t at, std::uint8_t* buffer, std::int64_t n, const std::string& path,
                 const char* which, std::string& error)
{
    const std::int64_t got = file.ReadAt(at, buffer, n);
    if (got == n) return true;
    error = got < 0 ? std::string("Can't read the ") + which + " image (" + path + "): " + file.LastErrorText()
                    : std::string("The ") + which + " image changed while it was read (" + path + ").";
    return false;
}

class Writer {
public:
    explicit Writer(const PatchWriteOptions& options) : o_(options), out_(options.patch) {}
    PatchWriteResult Run();

private:
    bool Fail(std::string error)
    {
        result_.error = std::move(error);
        return false;
    }
    bool Prepare();
    bool Scan();
    bool EmitRecord(std::int64_t offset, const std::uint8_t* modified, const std::uint8_t* original, unsigned n);
    bool Finish();

    const PatchWriteOptions& o_;
    PatchOutput out_;
    PatchWriteResult result_;
    uStd::FileHandle original_;
    uStd::FileHandle modified_;
    std::int64_t originalLength_ = 0;
    std::int64_t modifiedLength_ = 0;
    std::uint8_t block_[kBlockLength] = {};
    std::int64_t headerLength_ = 0;
    std::string diz_;
};

bool Writer::Prepare()
{
    if (std::string refusal = OptionRefusal(o_); !refusal.empty()) return Fail(refusal);
    if (SameFile(o_.original, o_.modified)) return Fail("The images are identical, there is nothing to patch.");
    if (o_.dizPath && !ReadDizFile(*o_.dizPath, diz_, result_.error)) return false;

    originalLength_ = OpenImage(original_, o_.original, "original", result_.error);
    if (originalLength_ < 0) return false;
    modifiedLength_ = OpenImage(modified_, o_.modified, "modified", result_.error);
    if (modifiedLength_ < 0) return false;
    if (modifiedLength_ < originalLength_)
        return Fail("The modified image is shorter than the original image; a patch cannot make an image shorter.");
    // A grown image's last byte is always written, so growth beyond 4 GiB is a change there.
    if (o_.version < 3 && modifiedLength_ > originalLength_ && modifiedLength_ - 1 >= k4GiB)
        return Fail("The images differ at or beyond 4 GiB (offset " + std::to_string(modifiedLength_ - 1) +
                    "); version " + VersionName(o_.version) +
                    " patches reach only the first 4 GiB of an image, version 3.0 is needed.");
    if (o_.version == 2 && originalLength_ >= k4GiB)
        return Fail("The original image is 4 GiB or larger; a version 2.0 patch cannot store its size, "
                    "version 3.0 is needed.");

    const bool withBlock = o_.version == 2 || (o_.version == 3 && o_.blockCheck);
    if (withBlock) {
        const std::int64_t at = o_.version == 3 && o_.giImage ? uKDX3::kGiBlockPosition : uKDX2::kBlockPosition;
        if (originalLength_ < at + kBlockLength)
            return Fail("The original image is too short for the block check: it needs at least " +
                        std::to_string(at + kBlockLength) + " Bytes (1024 Bytes at " + std::to_string(at) + ").");
        if (!ReadExactly(original_, at, block_, kBlockLength, o_.original, "original", result_.error)) return false;
    }
    if (!out_.Begin()) return Fail(out_.ErrorText());
    const std::vector<std::uint8_t> header = Header(o_, originalLength_, block_);
    headerLength_ = static_cast<std::int64_t>(header.size());
    return out_.Append(header.data(), header.size()) || Fail(out_.ErrorText());
}

bool Writer::EmitRecord(std::int64_t offset, const std::uint8_t* modified, const std::uint8_t* original, unsigned n)
{
    if (o_.version < 3 && offset + n - 1 >= k4GiB)
        return Fail("The images differ at or beyond 4 GiB (offset " + std::to_string(offset + n - 1) + "); version " +
                    VersionName(o_.version) +
                    " patches reach only the first 4 GiB of an image, version 3.0 is needed.");
    std::uint8_t head[9];
    const int width = o_.version == 3 ? 8 : 4;
    for (int i = 0; i < width; ++i) head[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(offset) >> (8 * i));
    head[width] = static_cast<std::uint8_t>(n);
    const bool ok = out_.Append(head, static_cast<std::size_t>(width) + 1) && out_.Append(modified, n) &&
                    (!o_.undo || out_.Append(original, n));
    return ok || Fail(out_.ErrorText());
}

bool Writer::Scan()
{
    const unsigned headBytes = o_.version == 3 ? 9 : 5;
    RecordBuilder builder(headBytes, o_.undo ? 2 : 1,
                          [this](std::int64_t offset, const std::uint8_t* m, const std::uint8_t* orig, unsigned n) {
                              return EmitRecord(offset, m, orig, n);
                          });
    if (modifiedLength_ > originalLength_) builder.ForceChange(modifiedLength_ - 1);

    // Never larger than the image: small images cost small buffers.
    const auto chunk = static_cast<std::size_t>(std::clamp<std::int64_t>(modifiedLength_, 1, kChunk));
    std::vector<std::uint8_t> original(chunk);
    std::vector<std::uint8_t> modified(chunk);
    CurrentProgress = {0, modifiedLength_};
    for (std::int64_t pos = 0; pos < modifiedLength_;) {
        const auto len = static_cast<std::size_t>(std::min(static_cast<std::int64_t>(chunk), modifiedLength_ - pos));
        // Past the original's end the image reads as zero, as the file system fills a grown file.
        const auto fromOriginal =
            static_cast<std::size_t>(std::clamp<std::int64_t>(originalLength_ - pos, 0, static_cast<std::int64_t>(len)));
        std::fill(original.begin() + static_cast<std::ptrdiff_t>(fromOriginal), original.end(), 0);
        if (!ReadExactly(original_, pos, original.data(), static_cast<std::int64_t>(fromOriginal), o_.original,
                         "original", result_.error) ||
            !ReadExactly(modified_, pos, modified.data(), static_cast<std::int64_t>(len), o_.modified, "modified",
                         result_.error))
            return false;
        for (std::size_t at = 0; at < len; at += kPumpSlice) {
            const std::size_t n = std::min(kPumpSlice, len - at);
            if (!builder.Feed(pos + static_cast<std::int64_t>(at), original.data() + at, modified.data() + at, n))
                return false;
            CurrentProgress.done = pos + static_cast<std::int64_t>(at + n);
            platform::ProcessMessages();
        }
        pos += static_cast<std::int64_t>(len);
    }
    if (!builder.Finish()) return false;
    result_.records = builder.Records();
    return true;
}

bool Writer::Finish()
{
    if (result_.records == 0) return Fail("The images are identical, there is nothing to patch.");
    result_.patchDataLength = out_.Length() - headerLength_;

    const int lengthBytes = o_.version == 2 ? 4 : 2;
    if (o_.version > 1 && !o_.dizPath) {
        // Readers take "DIZ" at this place as the mark of a trailer: records
        // that happen to end so get an empty record after them.
        const std::size_t tag = 3 + static_cast<std::size_t>(lengthBytes);
        if (out_.FromEnd(tag) == 'D' && out_.FromEnd(tag - 1) == 'I' && out_.FromEnd(tag - 2) == 'Z') {
            const std::uint8_t empty[9] = {};
            if (!EmitRecord(0, empty, empty, 0)) return false;
            ++result_.records;
            result_.patchDataLength += o_.version == 3 ? 9 : 5;
        }
    }
    if (o_.dizPath) {
        std::vector<std::uint8_t> trailer;
        const std::string lead = "@BEGIN_FILE_ID.DIZ";
        const std::string mark = "@END_FILE_ID.DIZ";
        trailer.insert(trailer.end(), lead.begin(), lead.end());
        trailer.insert(trailer.end(), diz_.begin(), diz_.end());
        trailer.insert(trailer.end(), mark.begin(), mark.end());
        PutLittleEndian(trailer, diz_.size(), lengthBytes);
        if (!out_.Append(trailer.data(), trailer.size())) return Fail(out_.ErrorText());
    }
    result_.patchLength = out_.Length();
    return out_.Commit() || Fail(out_.ErrorText());
}

PatchWriteResult Writer::Run()
{
    result_.ok = Prepare() && Scan() && Finish();
    return result_;
}

}  // namespace

PatchWriteResult WritePatch(const PatchWriteOptions& options)
{
    Writer writer(options);
    return writer.Run();
}

}  // namespace engine
