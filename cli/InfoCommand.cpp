#include "cli/Commands.h"

#include "commands/InfoLines.h"
#include "commands/Messages.h"
#include "commands/ResultTexts.h"
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

// The facts of the patch as JSON; texts stored in it decoded from Windows-1252.
int PrintJson(const kdx::Patch& patch, kdx::FileSystem& files)
{
    kdx::File file(files);
    if (!kdx::OpenReadOnly(file, patch.path)) return Fail(commands::text::CantOpenKdx(patch.path));
    const bool empty = patch.patchDataLength <= 0;
    const kdx::WalkResult walk = empty ? kdx::WalkResult{} : kdx::WalkRecords(file, patch.Records());

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
    j["records"] = walk.records;
    j["recordArea"] = empty ? "empty" : commands::WalkVerdictName(walk.verdict);
    // Paths are the system's bytes and need not be UTF-8.
    std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    return kExitOk;
}

}  // namespace

int Info(const std::string& path, bool json, kdx::FileSystem& files)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    const std::optional<kdx::Patch> patch = ReadPatchOrSay(path, files);
    if (!patch) return kExitFailed;
    if (json) return PrintJson(*patch, files);
    // Patch bytes never reach the terminal raw: control bytes print as "?".
    for (const std::string& line : platform::DisplayLines(commands::BuildInfoLines(*patch)))
        std::printf("%s\n", platform::MemoLineToUtf8(line, true).c_str());
    return kExitOk;
}

}  // namespace cli
