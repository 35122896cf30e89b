#include "Commands.h"

#include "../engine/ImageCheck.h"
#include "../engine/InfoLines.h"
#include "../engine/LoadPatch.h"
#include "../engine/Messages.h"
#include "../engine/VersionUnits.h"
#include "../engine/uStd.h"
#include "../platform/Dispatch.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

using engine::Labelled;
using std::to_string;

void Print(const std::string& label, const std::string& value)
{
    std::printf("%s\n", Labelled(label, value).c_str());
}

std::string Records(std::int64_t n) { return to_string(n) + (n == 1 ? " record" : " records"); }
std::string Of(std::int64_t n, std::int64_t m) { return to_string(n) + " of " + Records(m); }

void PrintBlock(const engine::ImageCheckResult& r)
{
    const std::string where = "1024 Bytes at " + to_string(r.blockPosition);
    switch (r.block) {
    case engine::BlockVerdict::NoneInVersion: return;
    case engine::BlockVerdict::NotInPatch: Print("Block check", "off (the patch carries no block)"); return;
    case engine::BlockVerdict::Passed: Print("Block check", "passed (" + where + ")"); return;
    case engine::BlockVerdict::Differs:
        Print("Block check", "failed (the image does not hold the patch's " + where + ")");
        return;
    case engine::BlockVerdict::ImageTooShort:
        Print("Block check", "failed (the image ends before " + where + ")");
        return;
    }
}

void PrintRecords(const engine::ImageCheckResult& r)
{
    if (!r.walked) return;
    const std::string which = "record " + to_string(r.walk.records + 1);
    switch (r.walk.verdict) {
    case engine::WalkVerdict::Fits:
        Print("Records", "passed (" + Records(r.walk.records) + ", ending at the end of the patch data)");
        return;
    case engine::WalkVerdict::Damaged:
        Print("Records", "failed (" + which + " is damaged: the records do not fit the patch data)");
        return;
    case engine::WalkVerdict::NegativeOffset:
        Print("Records", "failed (" + which + " writes at a negative offset, outside of the image)");
        return;
    case engine::WalkVerdict::OutOfReach:
        Print("Records", "failed (" + which + " writes past the largest position a file can have)");
        return;
    }
}

void PrintState(const engine::ImageCheckResult& r)
{
    if (!r.stateKnown) {
        Print("Image state", "unknown (the patch's records cannot be read)");
        return;
    }
    if (r.patchedRecords == r.records) Print("Image state", "patched");
    else if (r.patchedRecords == 0) Print("Image state", "not patched");
    else Print("Image state", "partly patched (" + Of(r.patchedRecords, r.records) + ")");
    if (!r.undoChecked) return;
    if (r.originalRecords == r.records) Print("Original bytes", "held everywhere");
    else Print("Original bytes", "not held everywhere (" + Of(r.originalRecords, r.records) + ")");
}

}  // namespace

int Check(const std::string& patchPath, const std::string& imagePath)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    Window window;
    auto controls = window.Controls();
    if (platform::Dispatch([&] { engine::LoadPatch(controls, patchPath); }) != platform::Outcome::Completed)
        return kExitFailed;
    const auto error = [](const std::string& text) {
        platform::MessageDlg(text, platform::MsgDlgType::mtError, platform::MsgDlgButtons::mbOK);
        return kExitFailed;
    };
    uStd::FileHandle image;
    if (!uStd::OpenReadOnly(image, imagePath)) return error(engine::text::CantOpenImage(imagePath));
    uStd::FileHandle patch;
    if (!uStd::OpenReadOnly(patch, patchPath)) return error(engine::text::CantOpenPatch(patchPath));
    const int method = uStd::ReadEncMethod(patch);
    const engine::VersionUnit* unit = engine::UnitForMethod(method);
    if (unit == nullptr || !engine::StillAsLoaded(patch, unit->Loaded(), patchPath))
        return error(engine::text::PatchChanged(patchPath));

    const engine::ImageCheckResult r = engine::CheckImage(method, patch, image);
    if (r.sizeChecked) {
        if (r.sizeMatches) Print("Image size", "passed (" + to_string(r.imageLength) + " Bytes)");
        else
            Print("Image size", "failed (the image is " + to_string(r.imageLength) + " Bytes, the patch wants " +
                                    to_string(r.expectedSize) + " Bytes)");
    }
    PrintBlock(r);
    if (r.walked) Print("Patch data", "passed (" + to_string(r.patchDataLength) + " Bytes)");
    else Print("Patch data", "failed (the patch holds no bytes of patch-data)");
    PrintRecords(r);
    PrintState(r);
    return r.Passed() ? kExitOk : kExitFailed;
}

}  // namespace cli
