#include "bench/Workloads.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace bench {

void Rng::Fill(std::uint8_t* out, std::size_t n)
{
    while (n >= 8) {
        const std::uint64_t v = Next();
        std::memcpy(out, &v, 8);
        out += 8;
        n -= 8;
    }
    if (n > 0) {
        const std::uint64_t v = Next();
        std::memcpy(out, &v, n);
    }
}

namespace {

void Add(Workload& w, Rng& rng, std::int64_t offset, std::uint32_t count)
{
    w.changes.push_back({offset, count, w.data.size()});
    w.data.resize(w.data.size() + count);
    rng.Fill(w.data.data() + w.data.size() - count, count);
}

}  // namespace

Workload Translation(std::int64_t imageSize, int scaleDivisor, std::uint64_t seed)
{
    Workload w{"W1", "translation: runs of ~20 back-to-back 255-byte records at random places", {}, {}, true};
    Rng rng(seed);
    const std::size_t total = 40000 / static_cast<std::size_t>(scaleDivisor);
    w.changes.reserve(total);
    while (w.changes.size() < total) {
        const std::size_t run = std::min<std::size_t>(15 + rng.Below(11), total - w.changes.size());
        const std::int64_t span = static_cast<std::int64_t>(run) * 255;
        std::int64_t at = static_cast<std::int64_t>(rng.Below(static_cast<std::uint64_t>(imageSize - span)));
        for (std::size_t i = 0; i < run; ++i, at += 255) Add(w, rng, at, 255);
    }
    return w;
}

Workload FullRewrite(std::int64_t imageSize, std::uint64_t seed)
{
    Workload w{"W2", "full rewrite: back-to-back 255-byte records over the whole image", {}, {}, true};
    Rng rng(seed);
    w.changes.reserve(static_cast<std::size_t>(imageSize / 255 + 1));
    w.data.reserve(static_cast<std::size_t>(imageSize));
    for (std::int64_t at = 0; at < imageSize; at += 255)
        Add(w, rng, at, static_cast<std::uint32_t>(std::min<std::int64_t>(255, imageSize - at)));
    return w;
}

Workload Scattered(std::int64_t imageSize, int scaleDivisor, std::uint64_t seed)
{
    Workload w{"W3", "scattered: 1-8 byte records at random places, not sorted", {}, {}, true};
    Rng rng(seed);
    const std::size_t total = 1000000 / static_cast<std::size_t>(scaleDivisor);
    w.changes.reserve(total);
    for (std::size_t i = 0; i < total; ++i) {
        const auto count = static_cast<std::uint32_t>(1 + rng.Below(8));
        Add(w, rng, static_cast<std::int64_t>(rng.Below(static_cast<std::uint64_t>(imageSize - count))), count);
    }
    return w;
}

void ApplyInMemory(const Workload& workload, Bytes& image)
{
    for (const Change& c : workload.changes)
        std::memcpy(image.data() + c.offset, workload.data.data() + c.dataAt, c.count);
}

void Digest::Add(const std::uint8_t* p, std::size_t n)
{
    length_ += n;
    std::uint64_t h = h_;
    while (n >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        h = (h ^ v) * 0x100000001B3ull;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t v = 0;
        std::memcpy(&v, p, n);
        h = (h ^ v ^ 0xFF) * 0x100000001B3ull;
    }
    h_ = h;
}

std::uint64_t Digest::Value() const { return h_ ^ (length_ * 0x9E3779B97F4A7C15ull); }

std::uint64_t DigestOf(const Bytes& bytes)
{
    Digest d;
    d.Add(bytes.data(), bytes.size());
    return d.Value();
}

namespace {

bool AddFile(Digest& d, const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    Bytes buffer(std::size_t{4} << 20);
    for (;;) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const ssize_t got = ::read(fd, buffer.data() + filled, buffer.size() - filled);
            if (got <= 0) break;
            filled += static_cast<std::size_t>(got);
        }
        d.Add(buffer.data(), filled);
        if (filled < buffer.size()) break;
    }
    ::close(fd);
    return true;
}

}  // namespace

std::uint64_t DigestOfFile(const std::string& path) { return DigestOfFiles({path}); }

std::uint64_t DigestOfFiles(const std::vector<std::string>& paths)
{
    Digest d;
    for (const std::string& path : paths)
        if (!AddFile(d, path)) return 0;
    return d.Value();
}

}  // namespace bench
