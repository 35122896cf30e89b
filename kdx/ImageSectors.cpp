#include "kdx/ImageSectors.h"

#include "kdx/SectorStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kdx {

namespace {

constexpr std::uint64_t kPieceSectors = SectorStream::kPieceSectors;  // ~1 MiB a read
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

}  // namespace

RawVerdict JudgeImage(File& image, std::uint64_t& sectors)
{
    const std::int64_t length = image.Length();
    sectors = length > 0 ? static_cast<std::uint64_t>(length) / kSectorSize : 0;
    std::uint8_t start[kSectorSize] = {};
    const std::int64_t got = length < 0 ? -1 : image.ReadAt(0, start, std::min<std::int64_t>(kS, length));
    // A read error is not a verdict on the bytes.
    if (got < 0) return RawVerdict::Unreadable;
    return JudgeRawImage(length > 0 ? static_cast<std::uint64_t>(length) : 0,
                         std::span<const std::uint8_t>(start, got > 0 ? static_cast<std::size_t>(got) : 0));
}

ImageScan ScanImage(File& image, bool fix, Observer& observer)
{
    ImageScan scan;
    std::uint64_t sectors = 0;
    scan.verdict = JudgeImage(image, sectors);
    const auto fail = [&scan, &image](bool writing) {
        scan.ok = false;
        scan.error = image.LastError();
        scan.writing = writing;
        return scan;
    };
    if (scan.verdict == RawVerdict::Unreadable) return fail(false);
    if (scan.verdict != RawVerdict::Raw) return scan;

    const auto total = At(sectors);
    SectorStream stream;
    std::uint64_t read = 0;  // sectors handed to the stream
    // The next pieces are read while the helper checks the ones handed before.
    const auto readAhead = [&] {
        while (stream.HasRoom() && read < sectors) {
            const std::uint64_t count = std::min(kPieceSectors, sectors - read);
            if (!ReadSectors(image, read, count, stream.NextBuffer())) return false;
            stream.Hand(count);
            read += count;
        }
        return true;
    };
    if (!readAhead()) return fail(false);
    for (std::uint64_t lba = 0; lba < sectors;) {
        const SectorStream::Piece piece = stream.Take();
        for (std::size_t i = 0; i < piece.count; ++i) {
            const SectorCheck& check = piece.checks[i];
            CountSector(scan.tally, lba + i, check);
            if (!fix || check.Right()) continue;
            // Only a repaired sector is written back.
            std::uint8_t* sector = piece.bytes + i * kSectorSize;
            if (!RepairSector(SectorBytes(sector, kSectorSize))) continue;
            if (!image.WriteAt(At(lba + i), sector, kS)) return fail(true);
            ++scan.tally.fixed;
        }
        lba += piece.count;
        stream.Release();
        observer.Step(At(lba), total);
        if (!readAhead()) return fail(false);
    }
    if (scan.tally.fixed > 0 && !image.SyncData()) return fail(true);
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
