// bench-sectors: reading a raw image once against reading it and checking
// the EDC/ECC of every sector, each run as a process of its own.
//
//   bench-sectors make IMAGE SECTORS SEED
//       writes a raw image of mixed sectors (Mode 1, Mode 2 Form 1 and
//       Form 2, audio), their EDC/ECC right except in every 10,000th
//       checkable sector; prints "sectors=N" and "wrong=N"
//   bench-sectors read IMAGE
//       reads the image once through the page cache, in pieces of 448
//       sectors (~1 MiB): the floor
//   bench-sectors check IMAGE
//       the check of mendrix-cli sectors (kdx::ScanImage: the same reads,
//       each piece checked on two cores while the next is read); prints "sectors=N" and "wrong=N"
//
// Prints "work_s=SECONDS" (the time inside the process) and exits 0, or a
// reason on standard error and exits 1.
#include "bench/Workloads.h"
#include "kdx/CdSector.h"
#include "kdx/ImageSectors.h"
#include "kdx/SectorScan.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kS = kdx::kSectorSize;
constexpr std::size_t kPieceSectors = 448;

[[noreturn]] void Die(const char* what)
{
    std::fprintf(stderr, "bench-sectors: %s\n", what);
    std::exit(1);
}

std::uint8_t Bcd(std::uint64_t v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

// One sector of random data; the kind drawn with weights 60/20/15/5.
void MakeSector(std::uint8_t* s, std::uint64_t lba, bench::Rng& rng)
{
    rng.Fill(s, kS);
    const std::uint64_t pick = rng.Below(100);
    if (pick >= 95) {  // audio: no sync pattern
        s[0] = 0x5A;
        return;
    }
    s[0] = s[11] = 0x00;
    for (int i = 1; i <= 10; ++i) s[i] = 0xFF;
    const std::uint64_t address = lba + 150;
    s[12] = Bcd(address / 4500 % 100);
    s[13] = Bcd(address / 75 % 60);
    s[14] = Bcd(address % 75);
    s[15] = pick < 60 ? 1 : 2;
    if (pick >= 60) s[18] = s[22] = pick < 80 ? 0x08 : 0x20;
    kdx::RepairSector(kdx::SectorBytes(s, kS));
}

void Make(const char* path, std::uint64_t sectors, std::uint64_t seed)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Die("cannot create the image");
    bench::Rng rng(seed);
    std::vector<std::uint8_t> piece(kPieceSectors * kS);
    std::uint64_t wrong = 0, checkable = 0;
    for (std::uint64_t lba = 0; lba < sectors;) {
        const std::uint64_t n = std::min<std::uint64_t>(kPieceSectors, sectors - lba);
        for (std::uint64_t i = 0; i < n; ++i, ++lba) {
            std::uint8_t* s = piece.data() + i * kS;
            // Sector 0 is always data: the image must count as raw.
            do MakeSector(s, lba, rng);
            while (lba == 0 && !kdx::HasSyncPattern({s, kS}));
            if (kdx::KindOf(kdx::SectorView(s, kS)) == kdx::SectorKind::Other) continue;
            if (++checkable % 10000 == 0) {
                s[1000] ^= 0x01;
                ++wrong;
            }
        }
        if (write(fd, piece.data(), n * kS) != static_cast<ssize_t>(n * kS)) Die("cannot write the image");
    }
    if (::close(fd) != 0) Die("cannot close the image");
    std::printf("sectors=%llu\nwrong=%llu\n", static_cast<unsigned long long>(sectors),
                static_cast<unsigned long long>(wrong));
}

void Check(const char* path)
{
    kdx::Image image;
    if (!image.Open(path, false).ok()) Die("cannot open the image");
    kdx::SectorLayout layout;
    if (kdx::LayOutSectors(image, layout) != kdx::RawVerdict::Raw) Die("not a raw image");
    kdx::NoObserver quiet;
    const kdx::ImageScan scan = kdx::ScanImage(image, layout, false, quiet);
    if (!scan.ok) Die("cannot read the image");
    std::printf("sectors=%llu\nwrong=%llu\n", static_cast<unsigned long long>(scan.tally.sectors),
                static_cast<unsigned long long>(scan.tally.wrong));
}

void Read(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) Die("cannot open the image");
    std::vector<std::uint8_t> piece(kPieceSectors * kS);
    std::uint64_t sum = 0;
    for (;;) {
        const ssize_t got = read(fd, piece.data(), piece.size());
        if (got < 0) Die("cannot read the image");
        if (got == 0) break;
        sum += piece[static_cast<std::size_t>(got) - 1];  // touch what was read
    }
    ::close(fd);
    std::printf("touched=%llu\n", static_cast<unsigned long long>(sum));
}

}  // namespace

int main(int argc, char** argv)
{
    const auto t0 = std::chrono::steady_clock::now();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 5) {
        Make(argv[2], std::strtoull(argv[3], nullptr, 10), std::strtoull(argv[4], nullptr, 10));
    } else if ((mode == "read" || mode == "check") && argc == 3) {
        if (mode == "check") Check(argv[2]);
        else Read(argv[2]);
    } else {
        std::fprintf(stderr, "usage: bench-sectors make IMAGE SECTORS SEED | read IMAGE | check IMAGE\n");
        return 2;
    }
    const std::chrono::duration<double> work = std::chrono::steady_clock::now() - t0;
    std::printf("work_s=%.6f\n", work.count());
    return 0;
}
