#include "kdx/ImageSectors.h"

#include "kdx/SectorStream.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

namespace kdx {

namespace {

constexpr std::uint64_t kPieceSectors = SectorStream::kPieceSectors;  // ~1 MiB a read

// The marked sectors in runs of consecutive ones inside one track, at most
// kPieceSectors each: one read per run rather than one per sector.
template <typename Visit>
bool ForEachMarkedRun(const SectorLayout& layout, const SectorBitmap& marked, Visit visit)
{
    for (std::uint64_t lba = marked.NextMarked(0); lba < marked.SectorCount();) {
        const std::size_t t = layout.TrackOf(lba);
        if (t == layout.tracks.size()) break;
        const SectorTrack& track = layout.tracks[t];
        std::uint64_t count = 1;
        while (count < kPieceSectors && lba + count < track.End() && marked.IsMarked(lba + count)) ++count;
        if (!visit(track, lba, count)) return false;
        lba = marked.NextMarked(lba + count);
    }
    return true;
}

// The checked tracks read piece by piece, in order, each piece inside one track.
class PieceReader {
public:
    PieceReader(Image& image, const SectorLayout& layout) : image_(image), layout_(layout) { Skip(); }

    struct Piece {
        std::size_t track;
        std::uint64_t lba;
        std::size_t count;
    };
    bool Done() const { return t_ == layout_.tracks.size(); }
    // Reads the next piece into `into`; false when the read failed.
    bool Read(std::uint8_t* into, Piece& piece)
    {
        const SectorTrack& track = layout_.tracks[t_];
        piece = {t_, lba_, static_cast<std::size_t>(std::min(kPieceSectors, track.End() - lba_))};
        if (!ReadTrackSectors(image_, track, piece.lba, piece.count, into)) return false;
        lba_ += piece.count;
        Skip();
        return true;
    }

private:
    // On to the next sector of a checked track.
    void Skip()
    {
        while (t_ < layout_.tracks.size() && (!layout_.tracks[t_].Checked() || lba_ >= layout_.tracks[t_].End())) {
            ++t_;
            if (t_ < layout_.tracks.size()) lba_ = layout_.tracks[t_].first;
        }
    }

    Image& image_;
    const SectorLayout& layout_;
    std::size_t t_ = 0;
    std::uint64_t lba_ = 0;
};

}  // namespace

void AddTally(SectorTally& total, const SectorTally& part)
{
    total.sectors += part.sectors;
    total.mode1 += part.mode1;
    total.mode2Form1 += part.mode2Form1;
    total.mode2Form2 += part.mode2Form2;
    total.other += part.other;
    total.wrong += part.wrong;
    total.wrongEdc += part.wrongEdc;
    total.wrongEcc += part.wrongEcc;
    total.fixed += part.fixed;
    for (std::size_t i = 0; i < part.listed && total.listed < SectorTally::kListed; ++i)
        total.firstWrong[total.listed++] = part.firstWrong[i];
}

ImageScan ScanImage(Image& image, const SectorLayout& layout, bool fix, Observer& observer)
{
    ImageScan scan;
    scan.cue = layout.cue;
    const auto fail = [&scan, &image](bool writing) {
        scan.ok = false;
        scan.reason = image.LastErrorText();
        scan.writing = writing;
        return scan;
    };

    std::int64_t total = 0;
    for (const SectorTrack& track : layout.tracks) {
        scan.tracks.push_back({track, {}});
        if (track.Checked()) total += track.ByteEnd() - track.offset;
    }
    SectorStream stream;
    PieceReader reader(image, layout);
    std::deque<PieceReader::Piece> handed;
    // The next pieces are read while the helper checks the ones handed before.
    const auto readAhead = [&] {
        while (stream.HasRoom() && !reader.Done()) {
            PieceReader::Piece piece{};
            if (!reader.Read(stream.NextBuffer(), piece)) return false;
            stream.Hand(piece.count);
            handed.push_back(piece);
        }
        return true;
    };
    if (!readAhead()) return fail(false);
    std::int64_t done = 0;
    while (!handed.empty()) {
        const PieceReader::Piece at = handed.front();
        const SectorStream::Piece piece = stream.Take();
        TrackTally& counted = scan.tracks[at.track];
        for (std::size_t i = 0; i < piece.count; ++i) {
            const SectorCheck& check = piece.checks[i];
            CountSector(counted.tally, at.lba + i, check);
            if (!fix || check.Right()) continue;
            // Only a repaired sector is written back.
            std::uint8_t* sector = piece.bytes + i * kSectorSize;
            if (!RepairSector(SectorBytes(sector, kSectorSize))) continue;
            if (!WriteTrackSector(image, counted.track, at.lba + i, sector)) return fail(true);
            ++counted.tally.fixed;
        }
        done += static_cast<std::int64_t>(piece.count) * counted.track.size;
        stream.Release();
        handed.pop_front();
        observer.Step(done, total);
        if (!readAhead()) return fail(false);
    }
    for (const TrackTally& t : scan.tracks) AddTally(scan.tally, t.tally);
    if (scan.tally.fixed > 0 && !image.SyncData()) return fail(true);
    return scan;
}

bool MarkTouchedSectors(File& patch, const RecordFormat& format, const SectorLayout& layout, SectorBitmap& touched)
{
    RecordReader reader(patch, format);
    Record record;
    for (;;) {
        switch (reader.Next(record)) {
        case RecordReader::Status::End: return true;
        case RecordReader::Status::Damaged: return false;
        case RecordReader::Status::Record:
            layout.MarkBytes(touched, record.offset, static_cast<std::int64_t>(record.count));
            break;
        }
    }
}

MarkedCheck CheckMarkedSectors(Image& image, const SectorLayout& layout, SectorBitmap& marked, bool keepOnlyRight)
{
    MarkedCheck result;
    std::vector<std::uint8_t> run(kPieceSectors * kSectorSize);
    result.ok = ForEachMarkedRun(layout, marked, [&](const SectorTrack& track, std::uint64_t first, std::uint64_t count) {
        if (track.Checked() && !ReadTrackSectors(image, track, first, count, run.data())) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            SectorCheck check;
            if (track.Checked()) check = CheckSector(SectorView(run.data() + i * kSectorSize, kSectorSize));
            const bool right = check.Checkable() && check.Right();
            ++(!check.Checkable() ? result.other : right ? result.right : result.wrong);
            if (keepOnlyRight && !right) marked.Unmark(first + i);
        }
        return true;
    });
    if (!result.ok) result.reason = image.LastErrorText();
    return result;
}

MarkedRepair RepairMarkedSectors(Image& image, const SectorLayout& layout, const SectorBitmap& marked)
{
    MarkedRepair result;
    std::vector<std::uint8_t> run(kPieceSectors * kSectorSize);
    result.ok = ForEachMarkedRun(layout, marked, [&](const SectorTrack& track, std::uint64_t first, std::uint64_t count) {
        if (!track.Checked()) return true;
        if (!ReadTrackSectors(image, track, first, count, run.data())) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint8_t* sector = run.data() + i * kSectorSize;
            if (!RepairSector(SectorBytes(sector, kSectorSize))) continue;
            if (!WriteTrackSector(image, track, first + i, sector)) return false;
            ++result.updated;
        }
        return true;
    });
    if (result.ok && result.updated > 0 && !image.SyncData()) result.ok = false;
    if (!result.ok) result.reason = image.LastErrorText();
    return result;
}

void FindBrokenSectors(const SectorTrack& track, std::uint64_t firstLba, std::span<const std::uint8_t> original,
                       std::span<std::uint8_t> modified, bool fix, BrokenSectors& broken)
{
    if (!track.Checked()) return;
    const auto size = static_cast<std::size_t>(track.size);
    const std::size_t front = kSectorSize - size;
    const std::size_t whole = std::min(original.size(), modified.size()) / size;
    std::uint8_t before[kSectorSize];
    std::uint8_t after[kSectorSize];
    PutHeadlessFront(before);
    PutHeadlessFront(after);
    for (std::size_t i = 0; i < whole; ++i) {
        const std::uint8_t* was = original.data() + i * size;
        std::uint8_t* now = modified.data() + i * size;
        // An unchanged sector is as right or wrong as it was.
        if (std::memcmp(was, now, size) == 0) continue;
        std::memcpy(after + front, now, size);
        if (CheckSector(SectorView(after, kSectorSize)).Right()) continue;
        std::memcpy(before + front, was, size);
        const SectorCheck wasCheck = CheckSector(SectorView(before, kSectorSize));
        if (!wasCheck.Checkable() || !wasCheck.Right()) continue;
        if (broken.count++ == 0) broken.first = firstLba + i;
        if (!fix) continue;
        RepairSector(SectorBytes(after, kSectorSize));
        std::memcpy(now, after + front, size);
    }
}

}  // namespace kdx
