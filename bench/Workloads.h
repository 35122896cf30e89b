// The benchmark's change sets, generated from a seed: the records of each
// workload, their bytes, and the image before and after them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<std::uint8_t>;

// A small, fast generator; the same seed gives the same stream everywhere.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, bound).
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
    void Fill(std::uint8_t* out, std::size_t n);

private:
    std::uint64_t state_;
};

struct Change {
    std::int64_t offset = 0;
    std::uint32_t count = 0;    // 0 to 255
    std::uint64_t dataAt = 0;   // where its bytes start in Workload::data
};

struct Workload {
    std::string name;          // "W1", "W2", "W3"
    std::string title;         // what it stands for
    std::vector<Change> changes;
    Bytes data;                // the patched bytes of every change, in file order
    bool makeable = false;     // true when `make` is timed on this pair
};

// The image size of a full run; a quick run divides every size by ten.
inline constexpr std::int64_t kFullImageSize = std::int64_t{650} << 20;

// W1 translation: ~40,000 records of 255 bytes in runs of ~20 at random places.
Workload Translation(std::int64_t imageSize, int scaleDivisor, std::uint64_t seed);
// W2 full rewrite: back-to-back 255-byte records over the whole image.
Workload FullRewrite(std::int64_t imageSize, std::uint64_t seed);
// W3 scattered: 1,000,000 records of 1 to 8 bytes at random places, not sorted.
Workload Scattered(std::int64_t imageSize, int scaleDivisor, std::uint64_t seed);

// The image after the changes, in file order (where they overlap, the later wins).
void ApplyInMemory(const Workload& workload, Bytes& image);

// A 64-bit digest of a byte stream that may arrive in pieces; pieces other
// than the last must be a multiple of 8 bytes long.
class Digest {
public:
    void Add(const std::uint8_t* p, std::size_t n);
    std::uint64_t Value() const;

private:
    std::uint64_t h_ = 0x243F6A8885A308D3ull;
    std::uint64_t length_ = 0;
};

std::uint64_t DigestOf(const Bytes& bytes);
// The digest of a whole file, or 0 when it cannot be read.
std::uint64_t DigestOfFile(const std::string& path);
// The digest of files one after another (each but the last a multiple of 8
// bytes long), or 0 when one cannot be read.
std::uint64_t DigestOfFiles(const std::vector<std::string>& paths);

}  // namespace bench
