#include "kdx/CueMerge.h"

#include "kdx/PatchOutput.h"

#include <filesystem>
#include <vector>

namespace kdx {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::int64_t kChunk = 1 << 20;

std::string Upper(std::string_view word)
{
    std::string out(word);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Where each file's first sector lies in the merged file.
std::vector<std::int64_t> FileStarts(const CueImage& image)
{
    std::vector<std::int64_t> starts(image.files.size(), -1);
    for (const CueImageTrack& t : image.tracks)
        if (starts[t.file] < 0) starts[t.file] = t.firstSector;
    return starts;
}

// The merged sheet read back must lay the tracks out as the track files do.
bool SameLayout(const CueImage& image, const std::string& text)
{
    const CueSheetResult read = ReadCueSheet(text);
    if (!read.ok()) return false;
    const CueImageResult laid = LayOutCueImage(read.sheet, {{"", "", 0, image.length, {}}});
    if (!laid.ok() || laid.image.tracks.size() != image.tracks.size()) return false;
    for (std::size_t i = 0; i < image.tracks.size(); ++i) {
        const CueImageTrack& a = image.tracks[i];
        const CueImageTrack& b = laid.image.tracks[i];
        if (a.number != b.number || a.mode != b.mode || a.firstSector != b.firstSector || a.sectors != b.sectors ||
            a.offset != b.offset)
            return false;
    }
    return true;
}

// The name a path gives its file, without the folders.
std::string FileName(const std::string& path)
{
    const char* separators = std::filesystem::path::preferred_separator == '\\' ? "/\\:" : "/";
    const std::size_t cut = path.find_last_of(separators);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

MergeResult Refused(MergeStatus status, const std::string& path = {}, int error = 0)
{
    MergeResult result;
    result.status = status;
    result.path = path;
    result.error = error;
    return result;
}

MergeResult OutputFailed(const PatchOutput& out)
{
    const MergeStatus status = out.Failed() == PatchOutput::Failure::Create  ? MergeStatus::CantCreate
                               : out.Failed() == PatchOutput::Failure::Place ? MergeStatus::CantPlace
                                                                             : MergeStatus::CantWrite;
    return Refused(status, out.ErrorPath(), out.Error());
}

}  // namespace

std::optional<std::string> MergedCueSheet(const CueImage& image, const std::string& name)
{
    const std::vector<std::int64_t> starts = FileStarts(image);
    std::string out;
    int file = -1;
    bool firstIndex = false;  // the next INDEX is its file's first
    ForEachCueLine(image.sheet, [&](std::string_view line) {
        std::string_view rest = line;
        const std::string word = Upper(TakeCueWord(rest));
        const std::string indent(line.substr(0, std::min(line.size(), line.find_first_not_of(" \t"))));
        if (word == "FILE") {
            ++file;
            firstIndex = true;
            if (file == 0) out += indent + "FILE \"" + name + "\" BINARY" + kLineEnd;
            return true;
        }
        if (word != "INDEX" || file < 0) {
            out.append(line).append(kLineEnd);
            return true;
        }
        const std::string number(TakeCueWord(rest));
        const std::int64_t time = CueTime(TakeCueWord(rest)).value_or(0);
        const std::int64_t start = starts[static_cast<std::size_t>(file)];
        const bool movesStart = firstIndex && file > 0 && time > 0;
        firstIndex = false;
        if (movesStart && number.find_first_not_of('0') == std::string::npos) {
            out += indent + "INDEX " + number + " " + CueTimeText(start) + kLineEnd;
            return true;
        }
        if (movesStart) out += indent + "INDEX 00 " + CueTimeText(start) + kLineEnd;
        out += indent + "INDEX " + number + " " + CueTimeText(start + time) + kLineEnd;
        return true;
    });
    if (!SameLayout(image, out)) return std::nullopt;
    return out;
}

std::string SheetBeside(const std::string& imagePath)
{
    const std::string name = FileName(imagePath);
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? imagePath : imagePath.substr(0, imagePath.size() - (name.size() - dot));
    return stem + ".cue";
}

MergeResult MergeCueImage(Image& image, const MergeTarget& target, Observer& observer)
{
    const CueImage* cue = image.Cue();
    if (cue == nullptr) return Refused(MergeStatus::NotACueSheet, image.Path());
    FileSystem& files = image.System();
    const std::string name = FileName(target.image);
    if (name.find('"') != std::string::npos) return Refused(MergeStatus::NameQuoted, target.image);
    if (target.image == target.sheet || SameFile(target.image, target.sheet, files))
        return Refused(MergeStatus::SheetIsImage, target.sheet);
    for (const std::string* path : {&target.image, &target.sheet})
        if (image.Includes(*path)) return Refused(MergeStatus::WouldReplace, *path);
    FileFacts there;
    for (const std::string* path : {&target.image, &target.sheet})
        if (!target.replace && files.Inspect(*path, there) == 0) return Refused(MergeStatus::Exists, *path);
    const std::optional<std::string> sheet = MergedCueSheet(*cue, name);
    if (!sheet) return Refused(MergeStatus::NotMergeable);

    PatchOutput merged(target.image, files);
    if (!merged.Begin()) return OutputFailed(merged);
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(kChunk, std::max<std::int64_t>(cue->length, 1))));
    for (std::int64_t at = 0; at < cue->length;) {
        const std::int64_t want = std::min(static_cast<std::int64_t>(chunk.size()), cue->length - at);
        const std::int64_t got = image.ReadAt(at, chunk.data(), want);
        if (got < 0) return Refused(MergeStatus::CantRead, image.ErrorPath(), image.LastError());
        if (got < want) return Refused(MergeStatus::Changed, image.Path());
        if (!merged.Append(chunk.data(), static_cast<std::size_t>(got))) return OutputFailed(merged);
        at += got;
        observer.Step(at, cue->length);
    }
    if (!merged.Commit()) return OutputFailed(merged);
    PatchOutput written(target.sheet, files);
    if (!written.Begin() || !written.Append(sheet->data(), sheet->size()) || !written.Commit())
        return OutputFailed(written);
    MergeResult result;
    result.path = target.image;
    result.length = cue->length;
    return result;
}

}  // namespace kdx
