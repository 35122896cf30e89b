#include "commands/SectorTexts.h"

#include "commands/InfoLines.h"

namespace commands {

namespace {

using std::to_string;

std::string WrongValue(const kdx::SectorTally& t)
{
    if (t.wrong == 0) return "none";
    std::string value = to_string(t.wrong) + " (EDC wrong in " + to_string(t.wrongEdc) + ", ECC wrong in " +
                        to_string(t.wrongEcc) + "; LBA ";
    for (std::size_t i = 0; i < t.listed; ++i) value += (i > 0 ? ", " : "") + to_string(t.firstWrong[i]);
    return value + (t.wrong > t.listed ? ", ...)" : ")");
}

}  // namespace

std::vector<std::string> SectorLines(const kdx::SectorTally& t, bool fix)
{
    std::vector<std::string> lines = {Labelled("Sectors", to_string(t.sectors) + " of 2352 bytes"),
                                      Labelled("Mode 1", to_string(t.mode1)),
                                      Labelled("Mode 2 Form 1", to_string(t.mode2Form1)),
                                      Labelled("Mode 2 Form 2", to_string(t.mode2Form2)),
                                      Labelled("Other", to_string(t.other)),
                                      Labelled("Wrong EDC/ECC", WrongValue(t))};
    if (fix) lines.push_back(Labelled("Fixed", to_string(t.fixed) + (t.fixed == 1 ? " sector" : " sectors")));
    return lines;
}

}  // namespace commands
