#include "kdx/ImageSectors.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <semaphore>
#include <thread>
#include <vector>

namespace kdx {

namespace {

constexpr std::uint64_t kPieceSectors = 448;  // ~1 MiB a read
constexpr auto kS = static_cast<std::int64_t>(kSectorSize);

std::int64_t At(std::uint64_t lba) { return static_cast<std::int64_t>(lba) * kS; }

// Reads sectors first .. first+count-1 whole; false on an error or a short read.
bool ReadSectors(File& image, std::uint64_t first, std::uint64_t count, std::uint8_t* into)
{
    const auto n = static_cast<std::int64_t>(count) * kS;
    return image.ReadAt(At(first), into, n) == n;
}

// The marked sectors in runs of consecutive ones, at most kPieceSectors each:
// one read per run rather than one per sector.
template <typename Visit>
bool ForEachMarkedRun(const SectorBitmap& marked, Visit visit)
{
    for (std::uint64_t lba = marked.NextMarked(0); lba < marked.SectorCount();) {
        std::uint64_t count = 1;
        while (count < kPieceSectors && marked.IsMarked(lba + count)) ++count;
        if (!visit(lba, count)) return false;
        lba = marked.NextMarked(lba + count);
    }
    return true;
}

// Checks the sectors of a piece on two cores while the caller also reads
// the next piece: the helper thread starts on the piece at once, the caller
// joins in once its read is done, both taking small runs of sectors from a
// shared cursor. The checks land in a fixed array and are counted in LBA
// order afterwards, so the tally is the same as a single pass would give.
class TwoCoreChecker {
public:
    TwoCoreChecker() : helper_([this] { Serve(); }) {}
    ~TwoCoreChecker()
    {
        quit_ = true;
        go_.release();
        helper_.join();
    }
    TwoCoreChecker(const TwoCoreChecker&) = delete;
    TwoCoreChecker& operator=(const TwoCoreChecker&) = delete;

    // Returns what `meanwhile` returned.
    template <typename Meanwhile>
    bool Check(const std::uint8_t* sectors, std::size_t count, std::uint64_t firstLba, SectorTally& tally,
               Meanwhile meanwhile)
    {
        sectors_ = sectors;
        count_ = count;
        next_.store(0, std::memory_order_relaxed);
        go_.release();
        const bool result = meanwhile();
        CheckShare();
        Await(done_);
        for (std::size_t i = 0; i < count; ++i) CountSector(tally, firstLba + i, checks_[i]);
        return result;
    }

private:
    static constexpr std::size_t kRun = 16;  // sectors taken from the cursor at a time

    void CheckShare()
    {
        for (;;) {
            const std::size_t first = next_.fetch_add(kRun, std::memory_order_relaxed);
            if (first >= count_) return;
            const std::size_t end = std::min(first + kRun, count_);
            for (std::size_t i = first; i < end; ++i)
                checks_[i] = CheckSector(SectorView(sectors_ + i * kSectorSize, kSectorSize));
        }
    }
    // The other thread is mostly microseconds away: a short spin spares the
    // sleep and the wake-up, which would cost more than the wait, once a piece.
    static void Await(std::binary_semaphore& s)
    {
        for (int spin = 0; spin < 4000; ++spin)
            if (s.try_acquire()) return;
        s.acquire();
    }
    void Serve()
    {
        for (;;) {
            Await(go_);
            if (quit_) return;
            CheckShare();
            done_.release();
        }
    }

    SectorCheck checks_[kPieceSectors];
    // Written before go_ is released, read after it is acquired.
    const std::uint8_t* sectors_ = nullptr;
    std::size_t count_ = 0;
    bool quit_ = false;
    std::atomic<std::size_t> next_{0};
    std::binary_semaphore go_{0}, done_{0};
    std::thread helper_;  // last: starts once everything it uses exists
};

}  // namespace

RawVerdict JudgeImage(File& image, std::uint64_t& sectors)
{
    const std::int64_t length = image.Length();
    sectors = length > 0 ? static_cast<std::uint64_t>(length) / kSectorSize : 0;
    std::uint8_t start[kSectorSize] = {};
    const std::int64_t got = image.ReadAt(0, start, std::min<std::int64_t>(kS, std::max<std::int64_t>(length, 0)));
    return JudgeRawImage(length > 0 ? static_cast<std::uint64_t>(length) : 0,
                         std::span<const std::uint8_t>(start, got > 0 ? static_cast<std::size_t>(got) : 0));
}

ImageScan ScanImage(File& image, bool fix, Observer& observer)
{
    ImageScan scan;
    std::uint64_t sectors = 0;
    scan.verdict = JudgeImage(image, sectors);
    if (scan.verdict != RawVerdict::Raw) return scan;

    const auto total = At(sectors);
    std::vector<std::uint8_t> piece(kPieceSectors * kSectorSize);
    SectorScanner scanner;
    std::unique_ptr<TwoCoreChecker> twoCores;
    if (!fix && std::thread::hardware_concurrency() > 1) twoCores = std::make_unique<TwoCoreChecker>();
    const auto fail = [&scan, &image] {
        scan.ok = false;
        scan.error = image.LastError();
        return scan;
    };
    if (twoCores) {
        // Two pieces: one being checked while the next is read.
        std::vector<std::uint8_t> next(piece.size());
        if (sectors > 0 && !ReadSectors(image, 0, std::min(kPieceSectors, sectors), piece.data())) return fail();
        for (std::uint64_t lba = 0; lba < sectors;) {
            const std::uint64_t count = std::min(kPieceSectors, sectors - lba);
            const std::uint64_t nextCount = std::min(kPieceSectors, sectors - lba - count);
            const bool read = twoCores->Check(piece.data(), count, lba, scan.tally, [&] {
                return nextCount == 0 || ReadSectors(image, lba + count, nextCount, next.data());
            });
            lba += count;
            observer.Step(At(lba), total);
            if (!read) return fail();
            piece.swap(next);
        }
        return scan;  // a check alone never fixes, so there is nothing to flush
    }
    for (std::uint64_t lba = 0; lba < sectors;) {
        const std::uint64_t count = std::min(kPieceSectors, sectors - lba);
        if (!ReadSectors(image, lba, count, piece.data())) return fail();
        if (!fix) {
            scanner.Scan({piece.data(), count * kSectorSize});
        } else {
            // Sector by sector, so that only a repaired sector is written back.
            for (std::uint64_t i = 0; i < count; ++i) {
                std::uint8_t* sector = piece.data() + i * kSectorSize;
                if (scanner.ScanAndFix({sector, kSectorSize}) != 0 && !image.WriteAt(At(lba + i), sector, kS))
                    return fail();
            }
        }
        lba += count;
        observer.Step(At(lba), total);
    }
    scan.tally = scanner.Tally();
    if (scan.tally.fixed > 0 && !image.SyncData()) return fail();
    return scan;
}

bool MarkTouchedSectors(File& patch, const RecordFormat& format, SectorBitmap& touched)
{
    RecordReader reader(patch, format);
    Record record;
    for (;;) {
        switch (reader.Next(record)) {
        case RecordReader::Status::End: return true;
        case RecordReader::Status::Damaged: return false;
        case RecordReader::Status::Record:
            if (record.offset >= 0) touched.MarkBytes(static_cast<std::uint64_t>(record.offset), record.count);
            break;
        }
    }
}

MarkedCheck CheckMarkedSectors(File& image, SectorBitmap& marked, bool keepOnlyRight)
{
    MarkedCheck result;
    std::vector<std::uint8_t> run(kPieceSectors * kSectorSize);
    result.ok = ForEachMarkedRun(marked, [&](std::uint64_t first, std::uint64_t count) {
        if (!ReadSectors(image, first, count, run.data())) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            const SectorCheck check = CheckSector(SectorView(run.data() + i * kSectorSize, kSectorSize));
            const bool right = check.Checkable() && check.Right();
            ++(!check.Checkable() ? result.other : right ? result.right : result.wrong);
            if (keepOnlyRight && !right) marked.Unmark(first + i);
        }
        return true;
    });
    if (!result.ok) result.error = image.LastError();
    return result;
}

MarkedRepair RepairMarkedSectors(File& image, const SectorBitmap& marked)
{
    MarkedRepair result;
    std::vector<std::uint8_t> run(kPieceSectors * kSectorSize);
    result.ok = ForEachMarkedRun(marked, [&](std::uint64_t first, std::uint64_t count) {
        if (!ReadSectors(image, first, count, run.data())) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint8_t* sector = run.data() + i * kSectorSize;
            if (!RepairSector(SectorBytes(sector, kSectorSize))) continue;
            if (!image.WriteAt(At(first + i), sector, kS)) return false;
            ++result.updated;
        }
        return true;
    });
    if (result.ok && result.updated > 0 && !image.SyncData()) result.ok = false;
    if (!result.ok) result.error = image.LastError();
    return result;
}

void FindBrokenSectors(std::uint64_t firstLba, std::span<const std::uint8_t> original,
                       std::span<std::uint8_t> modified, bool fix, BrokenSectors& broken)
{
    const std::size_t whole = std::min(original.size(), modified.size()) / kSectorSize;
    for (std::size_t i = 0; i < whole; ++i) {
        const std::uint8_t* before = original.data() + i * kSectorSize;
        std::uint8_t* after = modified.data() + i * kSectorSize;
        // An unchanged sector is as right or wrong as it was.
        if (std::memcmp(before, after, kSectorSize) == 0) continue;
        if (CheckSector(SectorView(after, kSectorSize)).Right()) continue;
        const SectorCheck was = CheckSector(SectorView(before, kSectorSize));
        if (!was.Checkable() || !was.Right()) continue;
        if (broken.count++ == 0) broken.first = firstLba + i;
        if (fix) RepairSector(SectorBytes(after, kSectorSize));
    }
}

}  // namespace kdx
