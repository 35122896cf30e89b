// bench-floor: the loops that MENDRIX is measured against, each as small as
// it can be, run as a process of its own like mendrix-cli.
//
//   bench-floor map|pwrite|merged|literal PATCH IMAGE START END OFFSET_WIDTH UNDO
//       UNDO: none (records carry no undo bytes), skip (they do; write the
//       patched bytes), write (they do; write the undo bytes)
//     map      reads the patch once through a 1 MiB buffer, maps the image
//              and copies each record into the map: the best an in-place
//              apply can do
//     pwrite   the same reading, one positioned write per record
//     merged   the same reading, back-to-back records gathered into one
//              positioned write of up to 1 MiB
//     literal  the plain loop: three reads, a seek and a write
//              per record, and one (cheap, throttled) pump call
//   Each ends as an apply does: the map's pages and the image's data flushed.
//   bench-floor read2 A B
//     reads two files once, in 1 MiB pieces: the floor of making a patch
//
// Prints "work_s=SECONDS" (the time inside the process) and exits 0, or
// prints a reason to standard error and exits 1.
#include "platform/PumpThrottle.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum class Undo { None, Skip, Write };

struct Args {
    std::string patch, image;
    std::int64_t start = 0, end = 0;
    int width = 8;
    Undo undo = Undo::None;
};

[[noreturn]] void Die(const char* what)
{
    std::fprintf(stderr, "bench-floor: %s\n", what);
    std::exit(1);
}

std::int64_t Offset(const std::uint8_t* p, int width)
{
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | p[i];
    return width == 4 ? static_cast<std::int64_t>(static_cast<std::uint32_t>(v)) : static_cast<std::int64_t>(v);
}

// Walks the records once through one buffer and hands each to sink(offset, bytes, n).
template <typename Sink>
void ForEachRecord(const Args& a, Sink sink)
{
    const int fd = ::open(a.patch.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Die("cannot open the patch");
    std::vector<std::uint8_t> buf(std::size_t{1} << 20);
    std::size_t head = 0, filled = 0;
    std::int64_t fileAt = a.start;
    const std::size_t fixed = static_cast<std::size_t>(a.width) + 1;
    for (std::int64_t pos = a.start; pos < a.end;) {
        // Keep at least one whole record (at most 9 + 510 bytes) in the buffer.
        if (filled - head < fixed + 510 && fileAt < a.end) {
            std::memmove(buf.data(), buf.data() + head, filled - head);
            filled -= head;
            head = 0;
            const auto want = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(buf.size() - filled), a.end - fileAt));
            const ssize_t got = pread(fd, buf.data() + filled, want, fileAt);
            if (got < 0) Die("cannot read the patch");
            filled += static_cast<std::size_t>(got);
            fileAt += got;
        }
        if (filled - head < fixed) Die("damaged patch");
        const std::uint8_t* p = buf.data() + head;
        const std::int64_t offset = Offset(p, a.width);
        const unsigned n = p[a.width];
        const std::size_t size = fixed + (a.undo == Undo::None ? n : 2u * n);
        if (filled - head < size) Die("damaged patch");
        sink(offset, p + fixed + (a.undo == Undo::Write ? n : 0), n);
        head += size;
        pos += static_cast<std::int64_t>(size);
    }
    ::close(fd);
}

// As the apply does before it reports success: the image's data on disk.
void SyncImage(int fd)
{
    if (fdatasync(fd) != 0) Die("cannot flush the image");
}

int OpenImage(const Args& a)
{
    const int fd = ::open(a.image.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) Die("cannot open the image");
    return fd;
}

void Map(const Args& a)
{
    const int fd = OpenImage(a);
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size <= 0) Die("cannot size the image");
    const auto size = static_cast<std::size_t>(st.st_size);
    void* m = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (m == MAP_FAILED) Die("cannot map the image");
    auto* image = static_cast<std::uint8_t*>(m);
    ForEachRecord(a, [&](std::int64_t offset, const std::uint8_t* bytes, unsigned n) {
        if (offset < 0 || static_cast<std::size_t>(offset) + n > size) Die("record outside the image");
        std::memcpy(image + offset, bytes, n);
    });
    if (msync(m, size, MS_SYNC) != 0) Die("cannot flush the map");
    SyncImage(fd);
    if (munmap(m, size) != 0 || ::close(fd) != 0) Die("cannot close the image");
}

void Pwrite(const Args& a)
{
    const int fd = OpenImage(a);
    ForEachRecord(a, [&](std::int64_t offset, const std::uint8_t* bytes, unsigned n) {
        if (pwrite(fd, bytes, n, offset) != static_cast<ssize_t>(n)) Die("cannot write the image");
    });
    SyncImage(fd);
    if (::close(fd) != 0) Die("cannot close the image");
}

// Back-to-back records gathered into one write of up to 1 MiB.
void Merged(const Args& a)
{
    const int fd = OpenImage(a);
    std::vector<std::uint8_t> pending;
    pending.reserve(std::size_t{1} << 20);
    std::int64_t start = 0;
    const auto flush = [&] {
        if (!pending.empty() && pwrite(fd, pending.data(), pending.size(), start) != static_cast<ssize_t>(pending.size()))
            Die("cannot write the image");
        pending.clear();
    };
    ForEachRecord(a, [&](std::int64_t offset, const std::uint8_t* bytes, unsigned n) {
        if (offset != start + static_cast<std::int64_t>(pending.size()) || pending.size() + n > pending.capacity()) {
            flush();
            start = offset;
        }
        pending.insert(pending.end(), bytes, bytes + n);
    });
    flush();
    SyncImage(fd);
    if (::close(fd) != 0) Die("cannot close the image");
}

platform::PumpThrottle gThrottle;
unsigned gTicks = 0;
[[gnu::noinline]] void Pump()
{
    if (gThrottle.Due()) ++gTicks;
}

void Literal(const Args& a)
{
    const int image = OpenImage(a);
    const int patch = ::open(a.patch.c_str(), O_RDONLY | O_CLOEXEC);
    if (patch < 0 || lseek(patch, a.start, SEEK_SET) != a.start) Die("cannot open the patch");
    std::uint8_t offset[8] = {};
    std::uint8_t n = 0;
    std::uint8_t data[255];
    for (std::int64_t pos = a.start; pos < a.end;) {
        if (read(patch, offset, static_cast<std::size_t>(a.width)) != a.width || read(patch, &n, 1) != 1)
            Die("damaged patch");
        if (a.undo == Undo::Write && lseek(patch, n, SEEK_CUR) < 0) Die("damaged patch");
        if (read(patch, data, n) != n) Die("damaged patch");
        if (a.undo == Undo::Skip && lseek(patch, n, SEEK_CUR) < 0) Die("damaged patch");
        if (lseek(image, Offset(offset, a.width), SEEK_SET) < 0) Die("record outside the image");
        if (write(image, data, n) != n) Die("cannot write the image");
        pos += a.width + 1 + (a.undo == Undo::None ? n : 2 * n);
        Pump();
    }
    ::close(patch);
    SyncImage(image);
    if (::close(image) != 0) Die("cannot close the image");
}

void ReadTwo(const char* first, const char* second)
{
    const int a = ::open(first, O_RDONLY | O_CLOEXEC);
    const int b = ::open(second, O_RDONLY | O_CLOEXEC);
    if (a < 0 || b < 0) Die("cannot open the images");
    std::vector<char> buf(std::size_t{1} << 20);
    for (bool more = true; more;) {
        const ssize_t x = read(a, buf.data(), buf.size());
        const ssize_t y = read(b, buf.data(), buf.size());
        if (x < 0 || y < 0) Die("cannot read the images");
        more = x > 0 || y > 0;
    }
    ::close(a);
    ::close(b);
}

}  // namespace

int main(int argc, char** argv)
{
    const auto t0 = std::chrono::steady_clock::now();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "read2" && argc == 4) {
        ReadTwo(argv[2], argv[3]);
    } else if ((mode == "map" || mode == "pwrite" || mode == "merged" || mode == "literal") && argc == 8) {
        Args a;
        a.patch = argv[2];
        a.image = argv[3];
        a.start = std::strtoll(argv[4], nullptr, 10);
        a.end = std::strtoll(argv[5], nullptr, 10);
        a.width = std::atoi(argv[6]) == 4 ? 4 : 8;
        const std::string undo = argv[7];
        a.undo = undo == "write" ? Undo::Write : undo == "skip" ? Undo::Skip : Undo::None;
        if (mode == "map") Map(a);
        else if (mode == "pwrite") Pwrite(a);
        else if (mode == "merged") Merged(a);
        else Literal(a);
    } else {
        std::fprintf(stderr, "usage: bench-floor map|pwrite|merged|literal PATCH IMAGE START END WIDTH none|skip|write\n"
                             "       bench-floor read2 A B\n");
        return 2;
    }
    const std::chrono::duration<double> work = std::chrono::steady_clock::now() - t0;
    std::printf("work_s=%.6f\n", work.count());
    return 0;
}
