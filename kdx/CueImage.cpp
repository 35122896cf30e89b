#include "kdx/CueImage.h"

#include "kdx/File.h"

#include <filesystem>
#include <utility>

namespace kdx {

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 strings in the program; a plain string would be read in
// the ANSI code page on Windows.
fs::path PathOf(const std::string& utf8) { return {std::u8string(utf8.begin(), utf8.end())}; }

std::string TextOf(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

CueImageResult Refused(CueFault fault, int line, const fs::path& path, std::string reason = {})
{
    CueImageResult result;
    result.problem.fault = fault;
    result.problem.line = line;
    // Shown with the system's own separators, whichever slash the sheet wrote.
    result.problem.path = TextOf(fs::path(path).make_preferred());
    result.problem.reason = std::move(reason);
    return result;
}

// True when path lies below folder; both are resolved, so a way out shows as "..".
bool Inside(const fs::path& path, const fs::path& folder)
{
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

// The sheet's bytes; nothing opened for writing, a folder or a pipe refused before it is opened.
CueImageResult ReadSheetBytes(const std::string& cuePath, FileSystem& files, FileFacts& facts, std::string& bytes)
{
    const auto failed = [&](int number) {
        return Refused(CueFault::CantReadSheet, 0, PathOf(cuePath), SystemErrorText(number));
    };
    if (const int rc = files.Inspect(cuePath, facts); rc != 0) return failed(rc);
    if (facts.kind != FileFacts::Kind::File) return Refused(CueFault::NotAFile, 0, PathOf(cuePath));
    File file(files);
    if (!OpenReadOnly(file, cuePath)) return failed(file.LastError());
    const std::int64_t length = file.Length();
    if (length < 0) return failed(file.LastError());
    if (length > kCueSheetMax) {
        CueImageResult result = Refused(CueFault::TooLarge, 0, PathOf(cuePath));
        result.problem.number = length;
        return result;
    }
    bytes.assign(static_cast<std::size_t>(length), '\0');
    const std::int64_t read = file.ReadAt(0, bytes.data(), length);
    if (read < 0) return failed(file.LastError());
    bytes.resize(static_cast<std::size_t>(read));
    return {};
}

}  // namespace

CueImageResult LayOutCueImage(const CueSheet& sheet, std::vector<CueImageFile> files)
{
    CueImageResult result;
    CueImage& image = result.image;
    const auto refuse = [&](CueFault fault, int line, std::size_t file, std::int64_t number, std::int64_t other) {
        CueImageResult refused;
        refused.problem.fault = fault;
        refused.problem.line = line;
        refused.problem.path = files[file].path;
        refused.problem.number = number;
        refused.problem.other = other;
        return refused;
    };
    std::size_t t = 0;
    std::int64_t sector = 0;
    for (std::size_t f = 0; f < files.size(); ++f) {
        CueImageFile& file = files[f];
        file.offset = image.length;
        if (file.length <= 0) return refuse(CueFault::EmptyFile, sheet.files[f].line, f, 0, 0);
        std::int64_t at = 0;  // bytes of the file before the track
        for (; t < sheet.tracks.size() && sheet.tracks[t].file == f; ++t) {
            const CueSheetTrack& track = sheet.tracks[t];
            const std::int64_t size = CueSectorSize(track.mode);
            const bool last = t + 1 == sheet.tracks.size() || sheet.tracks[t + 1].file != f;
            std::int64_t sectors = 0;
            if (!last) {
                // Sectors up to the next track's start; reading shows that is past INDEX 01.
                sectors = sheet.tracks[t + 1].start - track.start;
                if (sectors > (file.length - at) / size)
                    return refuse(CueFault::TrackPastEnd, sheet.tracks[t + 1].line, f, sheet.tracks[t + 1].number, 0);
            } else {
                const std::int64_t rest = file.length - at;
                if (rest % size != 0) return refuse(CueFault::NotWholeSectors, sheet.files[f].line, f, file.length, size);
                sectors = rest / size;
                if (sectors <= track.index1 - track.start)
                    return refuse(CueFault::TrackPastEnd, track.line, f, track.number, 0);
            }
            image.tracks.push_back({track.number, track.mode, f, sector, sectors, file.offset + at});
            at += sectors * size;
            sector += sectors;
        }
        image.length += file.length;
    }
    image.files = std::move(files);
    return result;
}

CueImageResult ReadCueImage(const std::string& cuePath, FileSystem& files)
{
    std::string bytes;
    FileFacts sheetItself;
    if (CueImageResult read = ReadSheetBytes(cuePath, files, sheetItself, bytes); !read.ok()) return read;
    CueSheetResult parsed = ReadCueSheet(bytes);
    if (!parsed.ok()) {
        CueImageResult refused;
        refused.problem = std::move(parsed.problem);
        refused.problem.path = cuePath;
        return refused;
    }
    const CueSheet& sheet = parsed.sheet;

    const fs::path cue = PathOf(cuePath);
    const fs::path folder = cue.has_parent_path() ? cue.parent_path() : fs::path(".");
    FileFacts root;
    if (const int rc = files.Inspect(TextOf(folder), root); rc != 0)
        return Refused(CueFault::CantCheckFile, 0, folder, SystemErrorText(rc));

    std::vector<CueImageFile> found;
    for (const CueSheetFile& named : sheet.files) {
        const int line = named.line;
        const fs::path path = folder / PathOf(named.name);
        FileFacts real;
        if (const int rc = files.Inspect(TextOf(path), real); rc != 0) {
            // A dangling link leads nowhere, as a missing name does.
            if (OpenFailureOf(rc) == OpenFailure::Missing) return Refused(CueFault::FileMissing, line, path);
            return Refused(CueFault::CantCheckFile, line, path, SystemErrorText(rc));
        }
        if (real.kind != FileFacts::Kind::File) return Refused(CueFault::NotAFile, line, path);
        if (!Inside(PathOf(real.path), PathOf(root.path))) return Refused(CueFault::OutsideFolder, line, path);
        if (real.SameFileAs(sheetItself)) return Refused(CueFault::IsTheSheet, line, path);
        for (std::size_t earlier = 0; earlier < found.size(); ++earlier) {
            if (!real.SameFileAs(found[earlier].checked)) continue;
            CueImageResult refused = Refused(CueFault::SameFile, line, path);
            refused.problem.number = sheet.files[earlier].line;
            return refused;
        }
        // Another name of the file may lie anywhere: writing it would change a file outside.
        if (real.links > 1) return Refused(CueFault::HardLinked, line, path);
        found.push_back({named.name, real.path, 0, real.length, real});
    }
    CueImageResult laid = LayOutCueImage(sheet, std::move(found));
    if (laid.ok()) laid.image.sheet = std::move(bytes);
    return laid;
}

}  // namespace kdx
