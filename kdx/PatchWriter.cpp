#include "kdx/PatchWriter.h"

#include <algorithm>
#include <vector>

namespace kdx {

namespace {

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Header(const PatchHeader& h, const VersionLayout& layout)
{
    const bool withBlock = layout.HoldsBlock(h.blockCheck);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(withBlock ? layout.blockHeader : layout.shortHeader), 0);
    const auto at = [&out](const Field& f) { return out.begin() + f.at; };
    std::copy(kMagicText, kMagicText + field::kMagic.size, at(field::kMagic));
    // Readers look only at the method byte; the two before it carry the version's digits.
    at(field::kVersionDigits)[0] = static_cast<std::uint8_t>('0' + h.version);
    at(field::kVersionDigits)[1] = '0';
    *at(field::kMethod) = static_cast<std::uint8_t>(layout.method);
    std::copy(h.description.begin(), h.description.end(), at(field::kDescription));
    if (layout.storesImageSize)
        for (int i = 0; i < field::kImageSize.size; ++i)
            at(field::kImageSize)[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(h.imageSize) >> (8 * i));
    if (layout.hasFlags) {
        *at(field::kImageType) = h.giImage ? kGiImageType : 0;
        *at(field::kBlockCheckFlag) = h.blockCheck ? kBlockCheckOn : 0;
        *at(field::kUndoFlag) = h.undo ? 1 : 0;
    }
    if (withBlock) std::copy(h.block, h.block + field::kBlockData.size, at(field::kBlockData));
    return out;
}

}  // namespace

bool PatchWriter::FromOutput()
{
    switch (out_.Failed()) {
    case PatchOutput::Failure::Create: failure_ = Failure::Create; break;
    case PatchOutput::Failure::Place: failure_ = Failure::Place; break;
    case PatchOutput::Failure::Write:
    case PatchOutput::Failure::None: failure_ = Failure::Write; break;
    }
    return false;
}

bool PatchWriter::Begin(const PatchHeader& header)
{
    layout_ = LayoutForVersion(header.version);
    undo_ = header.undo;
    if (layout_ == nullptr) {
        failure_ = Failure::Create;
        return false;
    }
    if (!out_.Begin()) return FromOutput();
    const std::vector<std::uint8_t> bytes = Header(header, *layout_);
    headerLength_ = static_cast<std::int64_t>(bytes.size());
    return out_.Append(bytes.data(), bytes.size()) || FromOutput();
}

bool PatchWriter::Record(std::int64_t offset, const std::uint8_t* patched, const std::uint8_t* original, unsigned n)
{
    const std::int64_t last = n == 0 ? offset : offset > INT64_MAX - (n - 1) ? INT64_MAX : offset + (n - 1);
    if (offset < 0 || last >= layout_->Reach()) {
        beyond_ = last;
        failure_ = Failure::BeyondReach;
        return false;
    }
    std::uint8_t head[9];
    for (int i = 0; i < layout_->offsetBytes; ++i)
        head[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(offset) >> (8 * i));
    head[layout_->offsetBytes] = static_cast<std::uint8_t>(n);
    ++records_;
    const bool ok = out_.Append(head, static_cast<std::size_t>(layout_->RecordHead())) && out_.Append(patched, n) &&
                    (!undo_ || out_.Append(original, n));
    return ok || FromOutput();
}

RecordBuilder PatchWriter::Builder()
{
    return {static_cast<unsigned>(layout_->RecordHead()), undo_ ? 2U : 1U,
            [this](std::int64_t offset, const std::uint8_t* patched, const std::uint8_t* original, unsigned n) {
                return Record(offset, patched, original, n);
            }};
}

bool PatchWriter::EndsLikeTrailer() const
{
    // Readers take "DIZ" this far from the end as the mark of a trailer.
    const int lengthBytes = layout_->dizLengthBytes;
    if (lengthBytes == 0) return false;
    const std::size_t tag = diz::kTagLength + static_cast<std::size_t>(lengthBytes);
    return out_.FromEnd(tag) == 'D' && out_.FromEnd(tag - 1) == 'I' && out_.FromEnd(tag - 2) == 'Z';
}

bool PatchWriter::Finish(const std::string* diz)
{
    static constexpr std::uint8_t kNone[1] = {};
    if ((records_ == 0 || (diz == nullptr && EndsLikeTrailer())) && !Record(0, kNone, kNone, 0)) return false;
    patchDataLength_ = out_.Length() - headerLength_;
    const int lengthBytes = layout_->dizLengthBytes;
    if (diz != nullptr && lengthBytes > 0) {
        std::vector<std::uint8_t> trailer(diz::kLeadInText, diz::kLeadInText + diz::kLeadIn);
        trailer.insert(trailer.end(), diz->begin(), diz->end());
        trailer.insert(trailer.end(), diz::kEndMarkerText, diz::kEndMarkerText + diz::kEndMarker);
        PutLittleEndian(trailer, diz->size(), lengthBytes);
        if (!out_.Append(trailer.data(), trailer.size())) return FromOutput();
    }
    return out_.Commit() || FromOutput();
}

}  // namespace kdx
