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

std::string Sectors(std::uint64_t n) { return to_string(n) + (n == 1 ? " sector" : " sectors"); }

// The kinds found, those with none left out.
std::string Kinds(const kdx::SectorTally& t)
{
    const std::pair<const char*, std::uint64_t> kinds[] = {
        {"Mode 1", t.mode1}, {"Mode 2 Form 1", t.mode2Form1}, {"Mode 2 Form 2", t.mode2Form2}, {"Other", t.other}};
    std::string value;
    for (const auto& [name, n] : kinds)
        if (n > 0) value += (value.empty() ? "" : ", ") + std::string(name) + " " + to_string(n);
    return value.empty() ? "none" : value;
}

std::string TrackValue(const kdx::TrackTally& t, bool fix)
{
    const std::string head = std::string(kdx::CueModeName(t.track.mode)) + ", " + Sectors(t.track.sectors);
    switch (t.track.form) {
    case kdx::SectorForm::Audio: return head + ", not checked (audio)";
    case kdx::SectorForm::Cooked: return head + ", not checked (no EDC/ECC in the file)";
    case kdx::SectorForm::Raw:
    case kdx::SectorForm::Headless: break;
    }
    std::string value = head + ": " + Kinds(t.tally) + "; wrong EDC/ECC: " + WrongValue(t.tally);
    if (fix) value += "; fixed: " + to_string(t.tally.fixed);
    return value;
}

}  // namespace

std::string TrackLabel(int number) { return std::string("Track ") + (number < 10 ? "0" : "") + to_string(number); }

std::vector<std::string> SectorLines(const kdx::ImageScan& scan, bool fix)
{
    const kdx::SectorTally& t = scan.tally;
    std::vector<std::string> lines;
    if (scan.cue)
        for (const kdx::TrackTally& track : scan.tracks) lines.push_back(Labelled(TrackLabel(track.track.number), TrackValue(track, fix)));
    const std::string sectors = scan.cue ? to_string(t.sectors) + " checked (tracks with EDC/ECC)" : to_string(t.sectors) + " of 2352 bytes";
    lines.insert(lines.end(), {Labelled("Sectors", sectors),
                                      Labelled("Mode 1", to_string(t.mode1)),
                                      Labelled("Mode 2 Form 1", to_string(t.mode2Form1)),
                                      Labelled("Mode 2 Form 2", to_string(t.mode2Form2)),
                                      Labelled("Other", to_string(t.other)),
                               Labelled("Wrong EDC/ECC", WrongValue(t))});
    if (fix) lines.push_back(Labelled("Fixed", to_string(t.fixed) + (t.fixed == 1 ? " sector" : " sectors")));
    return lines;
}

}  // namespace commands
