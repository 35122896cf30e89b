#include "fuzz/ReferenceModel.h"

#include "commands/Messages.h"

#include <algorithm>
#include <cstdint>

namespace fuzzref {

namespace text = commands::text;

namespace {

constexpr std::int64_t kTextMax = 3072;

// The byte at i, zero beyond the end (a short header reads as zeros).
std::uint8_t At(const Bytes& b, std::int64_t i)
{
    return i >= 0 && i < static_cast<std::int64_t>(b.size()) ? b[static_cast<std::size_t>(i)] : 0;
}

std::uint64_t Number(const Bytes& b, std::int64_t at, int width)
{
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i) v |= static_cast<std::uint64_t>(At(b, at + i)) << (8 * i);
    return v;
}

std::string Line(std::string label, const std::string& value)
{
    label.resize(15, ' ');
    return label + ": " + value;
}

// Where a loaded patch's records lie and what its trailer says.
struct Layout {
    int method = 0;
    std::int64_t length = 0;
    std::int64_t header = 0;      // where the records start
    std::int64_t nonRecord = 0;   // header + trailer
    bool trailer = false;
    std::string dizText;
    bool offset64 = false;
    bool undoBytes = false;
    std::int64_t DataLength() const { return length - nonRecord; }
    std::int64_t RecordEnd() const { return length - nonRecord + header; }
};

Layout LayoutOf(const Bytes& p, int method)
{
    Layout l;
    l.method = method;
    l.length = static_cast<std::int64_t>(p.size());
    l.header = method == 0 ? 56 : method == 1 ? 1084 : (At(p, 57) == 0 ? 60 : 1084);
    l.nonRecord = l.header;
    l.offset64 = method == 2;
    l.undoBytes = method == 2 && At(p, 58) != 0;
    if (method == 0) return l;
    const int width = method == 1 ? 4 : 2;
    const std::int64_t tag = l.length - 3 - width;
    if (tag < 0 || At(p, tag) != 'D' || At(p, tag + 1) != 'I' || At(p, tag + 2) != 'Z') return l;
    const auto dizLength = static_cast<std::int64_t>(Number(p, tag + 3, width));
    l.trailer = true;
    l.nonRecord = l.header + dizLength + 34 + width;
    const std::int64_t textAt = l.length - (dizLength + 16 + width);
    if (textAt >= 0) {
        const std::int64_t n = std::min(dizLength, kTextMax);
        l.dizText.assign(p.begin() + textAt, p.begin() + textAt + n);
    }
    return l;
}

std::vector<std::string> LinesOf(const Bytes& p, const Layout& l, const std::string& path)
{
    const std::string bytes = " Bytes";
    std::string description;
    for (int i = 6; i < 56; ++i) description += static_cast<char>(At(p, i));
    std::vector<std::string> lines{Line("Filename", path), Line("Filelength", std::to_string(l.length) + bytes)};
    if (l.method == 0) lines.push_back(Line("Enc. Method", "0 (KDX1.0)"));
    if (l.method == 1) lines.push_back(Line("Enc. Method", "1 (KDX2.0)"));
    if (l.method == 2) {
        lines.push_back(Line("Enc. Method", "2 (KDX3.0)"));
        lines.push_back(Line("Undo Data", At(p, 58) != 0 ? "Present " : "Nope"));
        lines.push_back(Line("Blockcheck", At(p, 57) == 1 ? "Enabled " : "Disabled  "));
        lines.push_back(Line("Imagetype", At(p, 56) == 1 ? "GI Image " : "Normal Image "));
    }
    lines.push_back(Line("Description", description));
    lines.push_back(Line("KDX Patchdata", std::to_string(l.DataLength()) + bytes));
    if (l.method == 0) return lines;
    if (!l.trailer) {
        lines.push_back(Line("File_ID.diz", "Nope"));
    } else {
        lines.push_back(Line("File_ID.diz", "Yes, showing ..."));
        lines.emplace_back();
        lines.push_back(l.dizText);
    }
    return lines;
}

bool HoldsBlock(const Bytes& image, const Bytes& patch, std::int64_t position)
{
    if (static_cast<std::int64_t>(image.size()) < position + 1024) return false;
    for (std::int64_t i = 0; i < 1024; ++i)
        if (image[static_cast<std::size_t>(position + i)] != At(patch, 60 + i)) return false;
    return true;
}

struct Rec {
    std::int64_t offset;
    std::int64_t at;     // where its bytes to write start in the patch
    std::int64_t count;
};

}  // namespace

LoadModel ModelLoad(const Bytes& patch, const std::string& path)
{
    LoadModel m;
    if (patch.size() < 3 || patch[0] != 'K' || patch[1] != 'D' || patch[2] != 'X') {
        m.boxes = {text::NoValidKdx(path)};
        return m;
    }
    m.method = patch.size() >= 6 ? patch[5] : -1;
    if (m.method < 0 || m.method > 2) {
        m.boxes = {text::UnknownMethod(path)};
        return m;
    }
    m.loaded = true;
    m.lines = LinesOf(patch, LayoutOf(patch, m.method), path);
    m.undoEnabled = m.method == 2 && At(patch, 58) != 0;
    return m;
}

ApplyModel ModelApply(const Bytes& patch, const Bytes& image, const Answers& answers, std::int64_t fileSizeLimit)
{
    ApplyModel m;
    m.image = image;
    const int method = patch[5];
    const Layout l = LayoutOf(patch, method);

    if (method == 1) {
        if (static_cast<std::uint64_t>(image.size()) != Number(patch, 56, 4)) {
            m.boxes.push_back(text::kSizeQuestion);
            if (!answers.sizeYes) return m;
        }
        if (!HoldsBlock(image, patch, 37664)) {
            m.boxes.push_back(text::kBlockQuestion);
            if (!answers.blockYes) return m;
        }
    }
    if (method == 2 && At(patch, 57) == 1 && !HoldsBlock(image, patch, At(patch, 56) == 1 ? 32928 : 37664)) {
        m.boxes.push_back(text::kBlockQuestion);
        if (!answers.blockYes) return m;
    }
    const bool undo = method == 2 && answers.undoTicked && At(patch, 58) != 0;

    if (l.DataLength() <= 0) {
        m.boxes.push_back(text::kNoPatchData);
        return m;
    }
    // Every record must be whole and inside the record area, and the area
    // must end exactly where the last record ends; in file order, the first
    // fault found is the one reported.
    std::vector<Rec> recs;
    const std::int64_t head = l.offset64 ? 9 : 5;
    for (std::int64_t at = l.header; at != l.RecordEnd();) {
        if (l.RecordEnd() - at < head) {
            m.boxes.push_back(text::kDamagedRecords);
            return m;
        }
        const std::uint64_t raw = Number(patch, at, l.offset64 ? 8 : 4);
        const std::int64_t count = At(patch, at + head - 1);
        const std::int64_t size = head + (l.undoBytes ? 2 * count : count);
        if (l.RecordEnd() - at < size) {
            m.boxes.push_back(text::kDamagedRecords);
            return m;
        }
        const auto offset = static_cast<std::int64_t>(raw);
        // Negative, or ending past the largest position a file can have.
        if (offset < 0 || static_cast<std::uint64_t>(offset) + static_cast<std::uint64_t>(count) > INT64_MAX) {
            m.boxes.push_back(text::kOutsideImage);
            return m;
        }
        recs.push_back({offset, at + head + (undo ? count : 0), count});
        at += size;
    }
    // The image must be able to reach its final length before anything is written.
    std::int64_t end = 0;
    for (const Rec& r : recs)
        if (r.count > 0) end = std::max(end, r.offset + r.count);
    if (end > fileSizeLimit) {
        m.boxes.push_back(text::CantWriteImage("File too large"));
        return m;
    }
    if (end > static_cast<std::int64_t>(m.image.size())) m.image.resize(static_cast<std::size_t>(end), 0);
    for (const Rec& r : recs)
        if (r.count > 0) std::copy_n(patch.begin() + r.at, r.count, m.image.begin() + r.offset);
    m.records = static_cast<std::int64_t>(recs.size());
    m.success = true;
    m.boxes.push_back(text::kSuccess);
    return m;
}

}  // namespace fuzzref
