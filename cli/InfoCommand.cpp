#include "cli/Commands.h"

#include "commands/CheckLines.h"
#include "commands/CueTexts.h"
#include "commands/InfoLines.h"
#include "commands/Messages.h"
#include "commands/ResultTexts.h"
#include "kdx/CueImage.h"
#include "kdx/ImageKind.h"
#include "kdx/Walk.h"
#include "platform/MemoText.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace cli {

namespace {

std::string Hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

// The walk of the patch's record area; nothing for a patch without patch-data.
// Refused with the open's reason when the file cannot be opened again.
bool WalkOrSay(const kdx::Patch& patch, kdx::FileSystem& files, std::optional<kdx::WalkResult>& walk)
{
    if (patch.patchDataLength <= 0) return true;
    kdx::File file(files);
    if (!kdx::OpenReadOnly(file, patch.path)) {
        FailOpen(commands::text::CantOpenKdx(patch.path), file.LastError());
        return false;
    }
    walk = kdx::WalkRecords(file, patch.Records());
    return true;
}

// The facts of the patch as JSON; texts stored in it decoded from Windows-1252.
void PrintJson(const kdx::Patch& patch, const std::optional<kdx::WalkResult>& walk)
{
    nlohmann::ordered_json j;
    j["file"] = patch.path;
    j["version"] = patch.Version();
    j["encodingMethod"] = patch.Method();
    j["fileLength"] = patch.fileLength;
    j["patchDataLength"] = patch.patchDataLength;
    // The text as the memo shows it: up to the first zero byte.
    const std::string description = patch.Description();
    const std::string shown = description.substr(0, description.find('\0'));
    j["description"] = {{"text", platform::Cp1252ToUtf8(shown, false)}, {"hex", Hex(description)}};
    j["undoData"] = patch.HasUndoData();
    j["blockCheck"] = patch.BlockCheck();
    j["blockPosition"] = patch.BlockCheck() ? nlohmann::ordered_json(patch.BlockPosition()) : nullptr;
    j["imageType"] = patch.layout->hasFlags ? nlohmann::ordered_json(patch.GiImage() ? "GI image" : "normal image")
                                            : nullptr;
    j["imageSize"] = patch.layout->storesImageSize ? nlohmann::ordered_json(patch.ImageSize()) : nullptr;
    j["fileIdDiz"] = patch.layout->dizLengthBytes > 0 && patch.ListsTrailer()
                         ? nlohmann::ordered_json(platform::Cp1252ToUtf8(patch.diz.text, false))
                         : nullptr;
    j["records"] = walk ? walk->records : 0;
    j["recordArea"] = walk ? commands::WalkVerdictName(walk->verdict) : "empty";
    // Paths are the system's bytes and need not be UTF-8.
    std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
}

// True when the file holds a cue sheet; a file that cannot be read is left to the patch's load to tell.
bool IsCueSheet(const std::string& path, kdx::FileSystem& files)
{
    kdx::File file(files);
    if (!kdx::OpenReadOnly(file, path)) return false;
    std::string head(kdx::kImageKindBytes, '\0');
    const std::int64_t got = file.ReadAt(0, head.data(), static_cast<std::int64_t>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
    return kdx::ClassifyImage(head) == kdx::ImageKind::CueSheet;
}

// The tracks of the image behind a cue sheet, as check lists them, or as one JSON object.
int ListCueSheet(const std::string& path, bool json, kdx::FileSystem& files)
{
    const kdx::CueImageResult read = kdx::ReadCueImage(path, files);
    if (!read.ok()) return Fail(commands::CueProblemText(read.problem));
    if (!json) {
        PrintLines(commands::CueTrackLines(read.image, path));
        return kExitOk;
    }
    nlohmann::ordered_json j;
    j["cueSheet"] = path;
    j["length"] = read.image.length;
    j["files"] = nlohmann::ordered_json::array();
    for (const kdx::CueImageFile& f : read.image.files)
        j["files"].push_back({{"name", f.name}, {"offset", f.offset}, {"length", f.length}});
    j["tracks"] = nlohmann::ordered_json::array();
    for (const kdx::CueImageTrack& t : read.image.tracks)
        j["tracks"].push_back({{"number", t.number}, {"mode", kdx::CueModeName(t.mode)}, {"file", read.image.files[t.file].name},
                               {"firstSector", t.firstSector}, {"sectors", t.sectors}, {"offset", t.offset}});
    std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    return kExitOk;
}

}  // namespace

int Info(const std::string& path, bool json, kdx::FileSystem& files)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    if (IsCueSheet(path, files)) return ListCueSheet(path, json, files);
    const std::optional<kdx::Patch> patch = ReadPatchOrSay(path, files);
    if (!patch) return kExitFailed;
    std::optional<kdx::WalkResult> walk;
    if (!WalkOrSay(*patch, files, walk)) return kExitFailed;
    if (json) {
        PrintJson(*patch, walk);
        return kExitOk;
    }
    // Patch bytes never reach the terminal raw: control bytes print as "?".
    for (const std::string& line : platform::DisplayLines(commands::BuildInfoLines(*patch)))
        std::printf("%s\n", platform::MemoLineToUtf8(line, true).c_str());
    // The memo lists a damaged patch as any other; the listing says what an apply would refuse.
    if (walk && walk->verdict != kdx::WalkVerdict::Fits) PrintLines({commands::RecordsLine(*walk)});
    return kExitOk;
}

}  // namespace cli
