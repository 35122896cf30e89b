#include "tests/support/PatchBuilder.h"

namespace testsupport {

void PutLE(Bytes& out, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Noise(std::size_t n, std::uint32_t seed)
{
    Bytes out(n);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return out;
}

Bytes EncodeRecord(int version, const Rec& record, bool withUndo)
{
    Bytes out;
    PutLE(out, static_cast<std::uint64_t>(record.offset), version == 3 ? 8 : 4);
    out.push_back(static_cast<std::uint8_t>(record.bytes.size()));
    out.insert(out.end(), record.bytes.begin(), record.bytes.end());
    if (withUndo) {
        Bytes undo = record.undo;
        undo.resize(record.bytes.size(), 0);
        out.insert(out.end(), undo.begin(), undo.end());
    }
    return out;
}

Bytes BuildPatch(const PatchLayout& layout)
{
    Bytes out = Text("KDX");
    out.push_back('0' + static_cast<std::uint8_t>(layout.version));
    out.push_back('0');
    out.push_back(static_cast<std::uint8_t>(layout.version - 1));
    Bytes description = Text(layout.description);
    description.resize(50, 0);
    out.insert(out.end(), description.begin(), description.end());

    Bytes block = layout.block;
    block.resize(1024, 0);
    if (layout.version == 2) {
        PutLE(out, layout.imageSize, 4);
        out.insert(out.end(), block.begin(), block.end());
    } else if (layout.version == 3) {
        out.push_back(layout.imageType);
        out.push_back(layout.blockCheckFlag);
        out.push_back(layout.undoFlag);
        out.push_back(0);
        if (layout.blockCheckFlag != 0) out.insert(out.end(), block.begin(), block.end());
    }
    for (const Rec& r : layout.records) {
        const Bytes rec = EncodeRecord(layout.version, r, layout.version == 3 && layout.undoFlag != 0);
        out.insert(out.end(), rec.begin(), rec.end());
    }
    if (layout.diz) {
        const std::string lead = "@BEGIN_FILE_ID.DIZ";
        const std::string marker = "@END_FILE_ID.DIZ";
        out.insert(out.end(), lead.begin(), lead.end());
        out.insert(out.end(), layout.diz->begin(), layout.diz->end());
        out.insert(out.end(), marker.begin(), marker.end());
        PutLE(out, layout.dizLength.value_or(static_cast<std::uint32_t>(layout.diz->size())), layout.version == 2 ? 4 : 2);
    }
    return out;
}

}  // namespace testsupport
