// Reads any bytes as a cue sheet, then lays an accepted sheet over track
// files of made-up lengths; touches no disk. The first byte chooses the
// lengths: bits 0-1 what one file gets (0: its tracks and some whole sectors
// more, 1: a byte short of whole sectors, 2: a sector short, 3: nothing),
// bits 2-7 which file and how many sectors more.
// Holds when: a refusal has a line within the sheet and a text, and keeps no
// part of the sheet; an accepted sheet is told as a sheet, names no path that
// is absolute, holds a colon or climbs, has its tracks numbered one after
// another in the order of their files, every file with a track; and its
// layout fails exactly where the lengths say so, otherwise covers the range
// with its tracks in order, without gap or overlap, each inside its file;
// merged into one file, its sheet reads back as the same tracks, and is
// refused exactly where an INDEX of a file before the last lies past that
// file's end or a time would pass 999:59:74.
#include "fuzz/FuzzFiles.h"

#include "commands/CueTexts.h"
#include "kdx/CueImage.h"
#include "kdx/CueMerge.h"
#include "kdx/CueNames.h"
#include "kdx/CueSheet.h"
#include "kdx/ImageKind.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using fuzzfiles::Require;

namespace {

int Lines(std::string_view text)
{
    int lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
    return lines + 1;
}

void CheckName(const std::string& name)
{
    Require(!name.empty(), "an empty name was accepted");
    Require(kdx::IsUtf8(name), "a name is no UTF-8");
    Require(name.find_first_of(":\\") == std::string::npos, "a name holds a colon or a backslash");
    Require(name.front() != '/', "an absolute name was accepted");
    std::size_t at = 0;
    while (at <= name.size()) {
        const std::size_t end = std::min(name.find('/', at), name.size());
        const std::string part = name.substr(at, end - at);
        Require(!part.empty() && part.find_first_not_of(". ") != std::string::npos, "a name has a climbing, dot or empty part");
        at = end + 1;
    }
}

void CheckSheet(const kdx::CueSheet& sheet)
{
    Require(!sheet.files.empty() && !sheet.tracks.empty(), "an accepted sheet has no file or no track");
    for (std::size_t i = 0; i < sheet.files.size(); ++i) {
        CheckName(sheet.files[i].name);
        for (std::size_t j = 0; j < i; ++j) Require(sheet.files[j].name != sheet.files[i].name, "a file is named twice");
    }
    for (std::size_t t = 0; t < sheet.tracks.size(); ++t) {
        const kdx::CueSheetTrack& track = sheet.tracks[t];
        Require(track.number >= 1 && track.number <= 99, "a track number is out of range");
        Require(track.index1 >= track.start, "INDEX 01 lies before the track's start");
        if (t == 0) {
            Require(track.file == 0 && track.start == 0, "the first track is not at the first file's start");
            continue;
        }
        const kdx::CueSheetTrack& before = sheet.tracks[t - 1];
        Require(track.number == before.number + 1, "tracks are not numbered one after another");
        Require(track.line > before.line, "tracks are out of line order");
        if (track.file == before.file)
            Require(track.start > before.index1, "a track starts at or before the INDEX 01 of the one before");
        else
            Require(track.file == before.file + 1 && track.start == 0, "a file has no track, or a file's first track is not at its start");
    }
    Require(sheet.tracks.back().file + 1 == sheet.files.size(), "the last file has no track");
}

// What each file's tracks need at least: up to each next track, and one sector from the last INDEX 01 on.
std::vector<std::int64_t> FittingLengths(const kdx::CueSheet& sheet, std::vector<std::int64_t>& lastSize)
{
    std::vector<std::int64_t> lengths(sheet.files.size(), 0);
    lastSize.assign(sheet.files.size(), 0);
    for (std::size_t t = 0; t < sheet.tracks.size(); ++t) {
        const kdx::CueSheetTrack& track = sheet.tracks[t];
        const std::int64_t size = kdx::CueSectorSize(track.mode);
        const bool last = t + 1 == sheet.tracks.size() || sheet.tracks[t + 1].file != track.file;
        lengths[track.file] += size * (last ? track.index1 - track.start + 1 : sheet.tracks[t + 1].start - track.start);
        lastSize[track.file] = size;
    }
    return lengths;
}

bool Is(std::string_view word, const char* upper)
{
    std::string text(word);
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text == upper;
}

void CheckMerge(std::string_view text, kdx::CueImage image)
{
    image.sheet = std::string(text);
    std::vector<std::int64_t> latest(image.files.size(), 0);  // each file's latest INDEX time
    std::vector<std::int64_t> sectors(image.files.size(), 0);
    for (const kdx::CueImageTrack& t : image.tracks) sectors[t.file] += t.sectors;
    int file = -1;
    kdx::ForEachCueLine(text, [&](std::string_view line) {
        const std::string_view word = kdx::TakeCueWord(line);
        if (Is(word, "FILE")) ++file;
        if (Is(word, "INDEX")) {
            kdx::TakeCueWord(line);
            const std::int64_t time = kdx::CueTime(kdx::TakeCueWord(line)).value_or(-1);
            Require(time >= 0, "an accepted INDEX has no time");
            latest[static_cast<std::size_t>(file)] = std::max(latest[static_cast<std::size_t>(file)], time);
        }
        return true;
    });
    // A time is written with three digits of minutes at most: 999:59:74.
    constexpr std::int64_t kLatestTime = (999 * 60 + 59) * 75 + 74;
    bool mergeable = true;
    std::int64_t start = 0;
    for (std::size_t f = 0; f < image.files.size(); start += sectors[f], ++f)
        mergeable = mergeable && (f + 1 == image.files.size() || latest[f] <= sectors[f]) && start + latest[f] <= kLatestTime;
    const std::optional<std::string> merged = kdx::MergedCueSheet(image, "m.bin");
    Require(merged.has_value() == mergeable, "a merge was refused, or one that cannot keep the tracks was written");
    if (!merged) return;
    const kdx::CueSheetResult read = kdx::ReadCueSheet(*merged);
    Require(read.ok() && read.sheet.files.size() == 1 && read.sheet.files[0].name == "m.bin",
            "the merged sheet does not read as one file");
    const kdx::CueImageResult laid = kdx::LayOutCueImage(read.sheet, {{"m.bin", "", 0, image.length, {}}});
    Require(laid.ok() && laid.image.tracks.size() == image.tracks.size(), "the merged sheet does not lay out the tracks");
    for (std::size_t i = 0; i < image.tracks.size(); ++i) {
        const kdx::CueImageTrack& a = image.tracks[i];
        const kdx::CueImageTrack& b = laid.image.tracks[i];
        Require(a.number == b.number && a.mode == b.mode && a.firstSector == b.firstSector && a.sectors == b.sectors &&
                    a.offset == b.offset,
                "a track moved in the merged sheet");
    }
}

void CheckLayout(std::string_view text, const kdx::CueSheet& sheet, std::uint8_t control)
{
    std::vector<std::int64_t> lastSize;
    std::vector<std::int64_t> lengths = FittingLengths(sheet, lastSize);
    const std::size_t chosen = (control >> 2) % lengths.size();
    const int shape = control & 3;
    if (shape == 0) lengths[chosen] += (control >> 2) * lastSize[chosen];
    if (shape == 1) lengths[chosen] -= 1;
    if (shape == 2) lengths[chosen] -= lastSize[chosen];
    if (shape == 3) lengths[chosen] = 0;
    std::vector<kdx::CueImageFile> files;
    for (std::size_t i = 0; i < lengths.size(); ++i) files.push_back({sheet.files[i].name, "", 0, lengths[i]});

    const kdx::CueImageResult r = kdx::LayOutCueImage(sheet, files);
    const kdx::CueFault fault = r.problem.fault;
    if (shape == 0) Require(r.ok(), "lengths that fit were refused");
    if (shape == 1) Require(fault == kdx::CueFault::NotWholeSectors || fault == kdx::CueFault::EmptyFile, "a file cut short of a sector was not refused");
    if (shape == 2) Require(fault == kdx::CueFault::TrackPastEnd || fault == kdx::CueFault::EmptyFile, "a file a sector short was not refused");
    if (shape == 3) Require(fault == kdx::CueFault::EmptyFile, "an empty file was not refused");
    if (!r.ok()) {
        Require(r.image.tracks.empty() && r.image.files.empty(), "a refused layout keeps a part");
        Require(r.problem.line >= 1 && !commands::CueProblemText(r.problem).empty(), "a refused layout has no line or text");
        return;
    }
    const kdx::CueImage& image = r.image;
    Require(image.files.size() == sheet.files.size() && image.tracks.size() == sheet.tracks.size(), "the layout lost a file or a track");
    std::int64_t offset = 0;
    for (std::size_t i = 0; i < image.files.size(); ++i) {
        Require(image.files[i].offset == offset && image.files[i].length == lengths[i], "the files do not follow one another");
        offset += image.files[i].length;
    }
    Require(image.length == offset, "the range is not the files' sum");
    std::int64_t at = 0;
    std::int64_t sector = 0;
    for (std::size_t t = 0; t < image.tracks.size(); ++t) {
        const kdx::CueImageTrack& track = image.tracks[t];
        const kdx::CueSheetTrack& read = sheet.tracks[t];
        const kdx::CueImageFile& file = image.files[track.file];
        const std::int64_t bytes = track.sectors * kdx::CueSectorSize(track.mode);
        Require(track.number == read.number && track.mode == read.mode && track.file == read.file, "a track changed in the layout");
        Require(track.offset == at && track.firstSector == sector, "the tracks leave a gap or overlap");
        Require(track.sectors > read.index1 - read.start, "a track has no sector from INDEX 01 on");
        Require(track.offset >= file.offset && track.offset + bytes <= file.offset + file.length, "a track reaches out of its file");
        at += bytes;
        sector += track.sectors;
    }
    Require(at == image.length, "the tracks do not cover the range");
    CheckMerge(text, image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const kdx::CueSheetResult read = kdx::ReadCueSheet(text);
    const kdx::ImageKind kind = kdx::ClassifyImage(text.substr(0, kdx::kImageKindBytes));
    if (!read.ok()) {
        Require(read.sheet.files.empty() && read.sheet.tracks.empty(), "a refused sheet keeps a part");
        Require(read.problem.line >= 0 && read.problem.line <= Lines(text), "a refusal's line is not in the sheet");
        Require(!commands::CueProblemText(read.problem).empty(), "a refusal has no text");
        return 0;
    }
    Require(kind == kdx::ImageKind::CueSheet, "an accepted sheet is not told as a sheet");
    CheckSheet(read.sheet);
    CheckLayout(text, read.sheet, data[0]);
    return 0;
}
