#include "Commands.h"

#include "../engine/LoadPatch.h"
#include "../engine/Messages.h"
#include "../engine/PatchFacts.h"
#include "../engine/RecordApply.h"
#include "../engine/VersionUnits.h"
#include "../engine/uStd.h"
#include "../platform/Dispatch.h"
#include "../platform/MemoText.h"

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

const char* RecordAreaName(const engine::WalkResult& walk, bool empty)
{
    if (empty) return "empty";
    switch (walk.verdict) {
    case engine::WalkVerdict::Fits: return "sound";
    case engine::WalkVerdict::Damaged: return "damaged";
    case engine::WalkVerdict::NegativeOffset: return "negative offset";
    case engine::WalkVerdict::OutOfReach: return "offset out of reach";
    }
    return "";
}

// The facts of the patch just loaded as JSON; texts decoded from Windows-1252.
int PrintJson(const std::string& path)
{
    uStd::FileHandle patch;
    if (!uStd::OpenReadOnly(patch, path)) {
        platform::MessageDlg(engine::text::CantOpenKdx(path), platform::MsgDlgType::mtError,
                             platform::MsgDlgButtons::mbOK);
        return kExitFailed;
    }
    const int method = uStd::ReadEncMethod(patch);
    // Only a patch changed since the load just now can fail here.
    if (engine::UnitForMethod(method) == nullptr) {
        platform::MessageDlg(engine::text::UnknownMethod(path), platform::MsgDlgType::mtWarning,
                             platform::MsgDlgButtons::mbOK);
        return kExitFailed;
    }
    const engine::PatchFacts facts = engine::FactsOf(method);
    const bool empty = facts.patchDataLength <= 0;
    const engine::WalkResult walk = empty ? engine::WalkResult{} : engine::WalkRecords(patch, facts.records);

    nlohmann::ordered_json j;
    j["file"] = facts.path;
    j["version"] = facts.version;
    j["encodingMethod"] = facts.method;
    j["fileLength"] = facts.fileLength;
    j["patchDataLength"] = facts.patchDataLength;
    // The text as the memo shows it: up to the first zero byte.
    const std::string shown = facts.description.substr(0, facts.description.find('\0'));
    j["description"] = {{"text", platform::Cp1252ToUtf8(shown, false)}, {"hex", Hex(facts.description)}};
    j["undoData"] = facts.undoData;
    j["blockCheck"] = facts.blockCheck;
    j["blockPosition"] = facts.blockPosition >= 0 ? nlohmann::ordered_json(facts.blockPosition) : nullptr;
    j["imageType"] = facts.giImage ? nlohmann::ordered_json(*facts.giImage ? "GI image" : "normal image") : nullptr;
    j["imageSize"] = facts.imageSize ? nlohmann::ordered_json(*facts.imageSize) : nullptr;
    j["fileIdDiz"] = facts.diz ? nlohmann::ordered_json(platform::Cp1252ToUtf8(*facts.diz, false)) : nullptr;
    j["records"] = walk.records;
    j["recordArea"] = RecordAreaName(walk, empty);
    // Paths are the system's bytes and need not be UTF-8.
    std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    return kExitOk;
}

}  // namespace

int Info(const std::string& patch, bool json)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    Window window;
    auto controls = window.Controls();
    if (platform::Dispatch([&] { engine::LoadPatch(controls, patch); }) != platform::Outcome::Completed)
        return kExitFailed;
    if (json) return PrintJson(patch);
    // Patch bytes never reach the terminal raw: control bytes print as "?".
    for (const std::string& line : platform::DisplayLines(window.infMemo.Lines()))
        std::printf("%s\n", platform::Cp1252ToUtf8(line, true).c_str());
    return kExitOk;
}

}  // namespace cli
