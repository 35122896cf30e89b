#include "commands/CheckLines.h"

#include "commands/InfoLines.h"
#include "kdx/File.h"

namespace commands {

namespace {

using std::to_string;
using Lines = std::vector<std::string>;

std::string Records(std::int64_t n) { return to_string(n) + (n == 1 ? " record" : " records"); }
std::string Of(std::int64_t n, std::int64_t m) { return to_string(n) + " of " + Records(m); }

void AddSize(Lines& lines, const kdx::ImageCheckResult& r)
{
    if (!r.sizeChecked) return;
    if (r.sizeMatches) {
        lines.push_back(Labelled("Image size", "passed (" + Bytes(r.imageLength) + ")"));
        return;
    }
    lines.push_back(Labelled("Image size", "failed (the image is " + Bytes(r.imageLength) + ", the patch wants " +
                                               Bytes(r.expectedSize) + ")"));
}

void AddBlock(Lines& lines, const kdx::ImageCheckResult& r)
{
    const std::string where = "1024 Bytes at " + to_string(r.blockPosition);
    const auto add = [&lines](const std::string& value) { lines.push_back(Labelled("Block check", value)); };
    switch (r.block) {
    case kdx::BlockVerdict::NoneInVersion: return;
    case kdx::BlockVerdict::NotInPatch: add("off (the patch carries no block)"); return;
    case kdx::BlockVerdict::Passed: add("passed (" + where + ")"); return;
    case kdx::BlockVerdict::Differs: add("failed (the image does not hold the patch's " + where + ")"); return;
    case kdx::BlockVerdict::ImageTooShort: add("failed (the image ends before " + where + ")"); return;
    }
}

void AddRecords(Lines& lines, const kdx::ImageCheckResult& r)
{
    if (!r.walked) {
        lines.push_back(Labelled("Patch data", "failed (the patch holds no bytes of patch-data)"));
        return;
    }
    lines.push_back(Labelled("Patch data", "passed (" + Bytes(r.patchDataLength) + ")"));
    lines.push_back(RecordsLine(r.walk));
}

void AddState(Lines& lines, const kdx::ImageCheckResult& r)
{
    if (!r.stateKnown) {
        lines.push_back(Labelled("Image state", "unknown (the patch's records cannot be read)"));
        return;
    }
    if (r.patchedRecords == r.records) lines.push_back(Labelled("Image state", "patched"));
    else if (r.patchedRecords == 0) lines.push_back(Labelled("Image state", "not patched"));
    else lines.push_back(Labelled("Image state", "partly patched (" + Of(r.patchedRecords, r.records) + ")"));
    if (r.undoChecked) {
        lines.push_back(Labelled("Original bytes", r.originalRecords == r.records
                                                       ? "held everywhere"
                                                       : "not held everywhere (" + Of(r.originalRecords, r.records) +
                                                             ")"));
    }
    // An apply writes the same bytes again however far it came before.
    if (r.patchedRecords > 0 && r.patchedRecords < r.records)
        lines.push_back(
            Labelled("What to do", "apply the patch again to complete it, or apply its backup to go back"));
}

}  // namespace

std::vector<std::string> CheckLines(const kdx::ImageCheckResult& result)
{
    Lines lines;
    AddSize(lines, result);
    AddBlock(lines, result);
    AddRecords(lines, result);
    AddState(lines, result);
    return lines;
}

std::string RecordsLine(const kdx::WalkResult& walk)
{
    const std::string which = "record " + to_string(walk.records + 1);
    std::string value;
    switch (walk.verdict) {
    case kdx::WalkVerdict::Fits:
        value = "passed (" + Records(walk.records) + ", ending at the end of the patch data)";
        break;
    case kdx::WalkVerdict::Damaged:
        value = "failed (" + which + " is damaged: the records do not fit the patch data)";
        break;
    case kdx::WalkVerdict::NegativeOffset:
        value = "failed (" + which + " writes at a negative offset, outside of the image)";
        break;
    case kdx::WalkVerdict::OutOfReach:
        value = "failed (" + which + " writes past the largest position a file can have)";
        break;
    }
    return Labelled("Records", value);
}

std::string TouchedSectorsLine(const kdx::MarkedCheck& c, std::uint64_t touched)
{
    if (!c.ok) return Labelled("Sector EDC/ECC", "unknown (" + c.reason + ")");
    std::string value = to_string(c.right) + " right, " + to_string(c.wrong) + " wrong of the " + to_string(touched) +
                        " sectors the patch touches";
    if (c.other > 0) value += " (" + to_string(c.other) + " without EDC/ECC)";
    return Labelled("Sector EDC/ECC", value);
}

}  // namespace commands
