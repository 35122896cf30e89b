#include "cli/Commands.h"

#include "commands/InfoLines.h"
#include "commands/Messages.h"
#include "kdx/ImageCheck.h"
#include "kdx/ImageSectors.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

using commands::Labelled;
using std::to_string;

void Print(const std::string& label, const std::string& value)
{
    std::printf("%s\n", Labelled(label, value).c_str());
}

std::string Records(std::int64_t n) { return to_string(n) + (n == 1 ? " record" : " records"); }
std::string Of(std::int64_t n, std::int64_t m) { return to_string(n) + " of " + Records(m); }

void PrintBlock(const kdx::ImageCheckResult& r)
{
    const std::string where = "1024 Bytes at " + to_string(r.blockPosition);
    switch (r.block) {
    case kdx::BlockVerdict::NoneInVersion: return;
    case kdx::BlockVerdict::NotInPatch: Print("Block check", "off (the patch carries no block)"); return;
    case kdx::BlockVerdict::Passed: Print("Block check", "passed (" + where + ")"); return;
    case kdx::BlockVerdict::Differs:
        Print("Block check", "failed (the image does not hold the patch's " + where + ")");
        return;
    case kdx::BlockVerdict::ImageTooShort:
        Print("Block check", "failed (the image ends before " + where + ")");
        return;
    }
}

void PrintRecords(const kdx::ImageCheckResult& r)
{
    if (!r.walked) return;
    const std::string which = "record " + to_string(r.walk.records + 1);
    switch (r.walk.verdict) {
    case kdx::WalkVerdict::Fits:
        Print("Records", "passed (" + Records(r.walk.records) + ", ending at the end of the patch data)");
        return;
    case kdx::WalkVerdict::Damaged:
        Print("Records", "failed (" + which + " is damaged: the records do not fit the patch data)");
        return;
    case kdx::WalkVerdict::NegativeOffset:
        Print("Records", "failed (" + which + " writes at a negative offset, outside of the image)");
        return;
    case kdx::WalkVerdict::OutOfReach:
        Print("Records", "failed (" + which + " writes past the largest position a file can have)");
        return;
    }
}

void PrintState(const kdx::ImageCheckResult& r)
{
    if (!r.stateKnown) {
        Print("Image state", "unknown (the patch's records cannot be read)");
        return;
    }
    if (r.patchedRecords == r.records) Print("Image state", "patched");
    else if (r.patchedRecords == 0) Print("Image state", "not patched");
    else Print("Image state", "partly patched (" + Of(r.patchedRecords, r.records) + ")");
    if (r.undoChecked) {
        if (r.originalRecords == r.records) Print("Original bytes", "held everywhere");
        else Print("Original bytes", "not held everywhere (" + Of(r.originalRecords, r.records) + ")");
    }
    // An apply writes the same bytes again however far it came before.
    if (r.patchedRecords > 0 && r.patchedRecords < r.records)
        Print("What to do", "apply the patch again to complete it, or apply its backup to go back");
}

// On a raw image: how the EDC/ECC of the sectors the records touch stand.
void PrintSectors(const kdx::Patch& loaded, kdx::File& patch, kdx::File& image)
{
    std::uint64_t sectors = 0;
    if (kdx::JudgeImage(image, sectors) != kdx::RawVerdict::Raw) return;
    kdx::SectorBitmap touched(sectors);
    if (!kdx::MarkTouchedSectors(patch, loaded.Records(), touched)) return;
    const kdx::MarkedCheck c = kdx::CheckMarkedSectors(image, touched, false);
    if (!c.ok) {
        Print("Sector EDC/ECC", "unknown (" + kdx::SystemErrorText(c.error) + ")");
        return;
    }
    std::string line = to_string(c.right) + " right, " + to_string(c.wrong) + " wrong of the " +
                       to_string(touched.MarkedCount()) + " sectors the patch touches";
    if (c.other > 0) line += " (" + to_string(c.other) + " without EDC/ECC)";
    Print("Sector EDC/ECC", line);
}

}  // namespace

int Check(const std::string& patchPath, const std::string& imagePath)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    const std::optional<kdx::Patch> loaded = ReadPatchOrSay(patchPath);
    if (!loaded) return kExitFailed;
    const auto error = [](const std::string& text) {
        platform::MessageDlg(text, platform::MsgDlgType::mtError, platform::MsgDlgButtons::mbOK);
        return kExitFailed;
    };
    kdx::File image;
    if (!kdx::OpenReadOnly(image, imagePath)) return error(commands::text::CantOpenImage(imagePath));
    kdx::File patch;
    if (!kdx::OpenReadOnly(patch, patchPath)) return error(commands::text::CantOpenPatch(patchPath));
    if (!kdx::StillAsRead(patch, *loaded, patchPath)) return error(commands::text::PatchChanged(patchPath));

    const kdx::ImageCheckResult r = kdx::CheckImage(*loaded, patch, image);
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
    if (r.stateKnown) PrintSectors(*loaded, patch, image);
    return r.Passed() ? kExitOk : kExitFailed;
}

}  // namespace cli
