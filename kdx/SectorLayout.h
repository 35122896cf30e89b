// Where an image's sectors lie and how each is judged: a one-file image is
// raw (2352-byte sectors, told by its length and first sector) or not; an
// image behind a cue sheet goes by its tracks' modes, whatever their bytes
// look like. Sectors are numbered through the whole range (the LBA of the
// one-file image that merging the track files gives).
#pragma once

#include "kdx/CdSector.h"
#include "kdx/CueSheet.h"
#include "kdx/Image.h"
#include "kdx/SectorBitmap.h"
#include "kdx/SectorScan.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kdx {

enum class SectorForm {
    Raw,       // 2352 bytes with sync and header: a raw image, MODE1/2352, MODE2/2352
    Headless,  // MODE2/2336: Mode 2 without sync and header, checked as the sector it ends
    Cooked,    // MODE1/2048: the user data alone, no EDC/ECC stored
    Audio      // never judged, never changed
};

struct SectorTrack {
    int number = 0;  // 0 for a one-file image
    CueMode mode = CueMode::Mode1_2352;
    SectorForm form = SectorForm::Raw;
    std::int64_t offset = 0;   // its first byte in the range
    std::uint64_t first = 0;   // its first sector's LBA
    std::uint64_t sectors = 0;
    std::int64_t size = 2352;  // bytes of one of its sectors in the file

    bool Checked() const { return form == SectorForm::Raw || form == SectorForm::Headless; }
    std::uint64_t End() const { return first + sectors; }
    std::int64_t ByteEnd() const { return offset + static_cast<std::int64_t>(sectors) * size; }
    // Where sector lba (one of this track's) starts in the range.
    std::int64_t At(std::uint64_t lba) const { return offset + static_cast<std::int64_t>(lba - first) * size; }
};

struct SectorLayout {
    std::vector<SectorTrack> tracks;  // in order, one after another
    std::uint64_t sectors = 0;
    bool cue = false;

    bool AnyChecked() const;
    // The track that holds sector lba, or tracks.size().
    std::size_t TrackOf(std::uint64_t lba) const;
    // The track that holds the byte at offset, or tracks.size().
    std::size_t TrackAt(std::int64_t offset) const;
    // Marks every sector of a checked track that holds any of the bytes [offset, offset + length).
    void MarkBytes(SectorBitmap& marked, std::int64_t offset, std::int64_t length) const;
};

// The tracks of a cue sheet's image.
SectorLayout CueSectorLayout(const CueImage& cue);

// The layout of an open image: its cue sheet's tracks (Raw), or for one
// file, Raw with one track when its length is a whole number of sectors and
// its first sector starts with the sync pattern; otherwise the verdict why
// not (Unreadable when the length or the first sector cannot be read).
RawVerdict LayOutSectors(Image& image, SectorLayout& layout);

// Reads count sectors of a checked track from lba on into `into` as whole
// 2352-byte sectors (room for count of them). False on an error or a short read.
bool ReadTrackSectors(Image& image, const SectorTrack& track, std::uint64_t lba, std::uint64_t count,
                      std::uint8_t* into);
// Writes back the part of a whole 2352-byte sector that the track's file holds.
bool WriteTrackSector(Image& image, const SectorTrack& track, std::uint64_t lba, const std::uint8_t* sector);

}  // namespace kdx
