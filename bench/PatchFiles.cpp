#include "bench/PatchFiles.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace bench {

namespace {

constexpr std::int64_t kBlockPosition = 37664;  // a normal (not GI) image
constexpr std::size_t kBlockLength = 1024;

// Appends little-endian numbers and bytes; writes in large pieces.
class Output {
public:
    explicit Output(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb"))
    {
        if (file_ == nullptr) throw std::runtime_error("cannot create " + path);
        buffer_.reserve(kChunk + 1024);
    }
    ~Output()
    {
        if (file_ != nullptr) std::fclose(file_);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Number(std::uint64_t value, int width)
    {
        for (int i = 0; i < width; ++i) buffer_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void Put(const std::uint8_t* p, std::size_t n)
    {
        buffer_.insert(buffer_.end(), p, p + n);
        if (buffer_.size() >= kChunk) Drain();
    }
    void Text(const std::string& s, std::size_t width)
    {
        std::string padded = s;
        padded.resize(width, '\0');
        Put(reinterpret_cast<const std::uint8_t*>(padded.data()), width);
    }
    std::int64_t Close()
    {
        Drain();
        const long size = std::ftell(file_);
        const bool ok = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!ok || size < 0) throw std::runtime_error("cannot write " + path_);
        return size;
    }
    std::int64_t Position() const { return written_ + static_cast<std::int64_t>(buffer_.size()); }

private:
    static constexpr std::size_t kChunk = std::size_t{4} << 20;
    void Drain()
    {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            throw std::runtime_error("cannot write " + path_);
        written_ += static_cast<std::int64_t>(buffer_.size());
        buffer_.clear();
    }

    std::string path_;
    std::FILE* file_;
    Bytes buffer_;
    std::int64_t written_ = 0;
};

}  // namespace

const char* LayoutName(Layout layout)
{
    switch (layout) {
    case Layout::V1: return "v1";
    case Layout::V2: return "v2";
    case Layout::V3: return "v3";
    case Layout::V3Undo: return "v3+undo";
    }
    return "?";
}

PatchFile WritePatch(const std::string& path, Layout layout, const Workload& workload, const Bytes& before)
{
    PatchFile patch;
    patch.path = path;
    patch.layout = layout;
    patch.offsetWidth = layout == Layout::V1 || layout == Layout::V2 ? 4 : 8;
    patch.undoBytes = layout == Layout::V3Undo;

    Output out(path);
    const char* version = layout == Layout::V1 ? "10" : layout == Layout::V2 ? "20" : "30";
    const std::uint8_t method = layout == Layout::V1 ? 0 : layout == Layout::V2 ? 1 : 2;
    out.Put(reinterpret_cast<const std::uint8_t*>("KDX"), 3);
    out.Put(reinterpret_cast<const std::uint8_t*>(version), 2);
    out.Number(method, 1);
    out.Text("MENDRIX bench " + workload.name + " " + LayoutName(layout), 50);
    const std::uint8_t* block = before.data() + kBlockPosition;
    if (layout == Layout::V2) {
        out.Number(before.size(), 4);
        out.Put(block, kBlockLength);
    } else if (layout != Layout::V1) {
        out.Number(0, 1);                               // a normal image
        out.Number(1, 1);                               // block check on
        out.Number(layout == Layout::V3Undo ? 1 : 0, 1);  // undo data
        out.Number(0, 1);
        out.Put(block, kBlockLength);
    }
    patch.recordStart = out.Position();
    for (const Change& c : workload.changes) {
        out.Number(static_cast<std::uint64_t>(c.offset), patch.offsetWidth);
        out.Number(c.count, 1);
        out.Put(workload.data.data() + c.dataAt, c.count);
        if (patch.undoBytes) out.Put(before.data() + c.offset, c.count);
    }
    patch.recordEnd = out.Position();
    patch.size = out.Close();
    return patch;
}

}  // namespace bench
