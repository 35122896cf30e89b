#include "kdx/SectorLayout.h"

#include <algorithm>
#include <cstring>

namespace kdx {

namespace {

constexpr auto kS = static_cast<std::int64_t>(kSectorSize);

SectorForm FormOf(CueMode mode)
{
    switch (mode) {
    case CueMode::Mode1_2352:
    case CueMode::Mode2_2352: return SectorForm::Raw;
    case CueMode::Mode2_2336: return SectorForm::Headless;
    case CueMode::Mode1_2048: return SectorForm::Cooked;
    case CueMode::Audio: return SectorForm::Audio;
    }
    return SectorForm::Audio;
}

}  // namespace

bool SectorLayout::AnyChecked() const
{
    return std::any_of(tracks.begin(), tracks.end(), [](const SectorTrack& t) { return t.Checked(); });
}

std::size_t SectorLayout::TrackOf(std::uint64_t lba) const
{
    const auto after = std::upper_bound(tracks.begin(), tracks.end(), lba,
                                        [](std::uint64_t at, const SectorTrack& t) { return at < t.first; });
    if (after == tracks.begin() || lba >= sectors) return tracks.size();
    return static_cast<std::size_t>(after - tracks.begin()) - 1;
}

std::size_t SectorLayout::TrackAt(std::int64_t offset) const
{
    const auto after = std::upper_bound(tracks.begin(), tracks.end(), offset,
                                        [](std::int64_t at, const SectorTrack& t) { return at < t.offset; });
    if (after == tracks.begin() || tracks.empty() || offset >= tracks.back().ByteEnd()) return tracks.size();
    return static_cast<std::size_t>(after - tracks.begin()) - 1;
}

void SectorLayout::MarkBytes(SectorBitmap& marked, std::int64_t offset, std::int64_t length) const
{
    if (offset < 0 || length <= 0) return;
    const std::int64_t end = offset > INT64_MAX - length ? INT64_MAX : offset + length;
    for (std::size_t t = TrackAt(offset); t < tracks.size() && tracks[t].offset < end; ++t) {
        const SectorTrack& track = tracks[t];
        if (!track.Checked()) continue;
        const std::int64_t from = std::max(offset, track.offset) - track.offset;
        const std::int64_t to = std::min(end, track.ByteEnd()) - track.offset;
        const auto last = track.first + static_cast<std::uint64_t>((to - 1) / track.size);
        for (auto lba = track.first + static_cast<std::uint64_t>(from / track.size); lba <= last; ++lba) marked.Mark(lba);
    }
}

SectorLayout CueSectorLayout(const CueImage& cue)
{
    SectorLayout layout;
    layout.cue = true;
    for (const CueImageTrack& t : cue.tracks) {
        SectorTrack track;
        track.number = t.number;
        track.mode = t.mode;
        track.form = FormOf(t.mode);
        track.offset = t.offset;
        track.first = static_cast<std::uint64_t>(t.firstSector);
        track.sectors = static_cast<std::uint64_t>(t.sectors);
        track.size = CueSectorSize(t.mode);
        layout.tracks.push_back(track);
        layout.sectors += track.sectors;
    }
    return layout;
}

RawVerdict LayOutSectors(Image& image, SectorLayout& layout)
{
    if (const CueImage* cue = image.Cue(); cue != nullptr) {
        layout = CueSectorLayout(*cue);
        return RawVerdict::Raw;
    }
    layout = {};
    const std::int64_t length = image.Length();
    std::uint8_t start[kSectorSize] = {};
    const std::int64_t got = length < 0 ? -1 : image.ReadAt(0, start, std::min<std::int64_t>(kS, length));
    // A read error is not a verdict on the bytes.
    if (got < 0) return RawVerdict::Unreadable;
    const RawVerdict verdict = JudgeRawImage(static_cast<std::uint64_t>(length),
                                             std::span<const std::uint8_t>(start, static_cast<std::size_t>(got)));
    if (verdict != RawVerdict::Raw) return verdict;
    SectorTrack track;
    track.sectors = static_cast<std::uint64_t>(length / kS);
    layout.tracks.push_back(track);
    layout.sectors = track.sectors;
    return verdict;
}

bool ReadTrackSectors(Image& image, const SectorTrack& track, std::uint64_t lba, std::uint64_t count,
                      std::uint8_t* into)
{
    const auto n = static_cast<std::int64_t>(count) * track.size;
    if (image.ReadAt(track.At(lba), into, n) != n) return false;
    if (track.form != SectorForm::Headless) return true;
    // From the last sector back, so that no sector is overwritten before it has moved.
    for (std::uint64_t i = count; i-- > 0;) {
        std::uint8_t* sector = into + i * kSectorSize;
        std::memmove(sector + kHeadlessFront, into + i * kHeadlessSize, kHeadlessSize);
        PutHeadlessFront(sector);
    }
    return true;
}

bool WriteTrackSector(Image& image, const SectorTrack& track, std::uint64_t lba, const std::uint8_t* sector)
{
    return image.WriteAt(track.At(lba), sector + (kS - track.size), track.size);
}

}  // namespace kdx
