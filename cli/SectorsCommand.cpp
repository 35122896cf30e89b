// mendrix-cli sectors: the raw sectors of an image counted and checked, and
// with --fix the wrong ones repaired in place. Behind a cue sheet each track
// goes by its mode.
#include "cli/Commands.h"
#include "cli/ProgressBar.h"

#include "commands/Messages.h"
#include "commands/SectorTexts.h"
#include "kdx/CueSheet.h"
#include "kdx/File.h"
#include "kdx/ImageSectors.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

namespace cli {

namespace {

void PutTally(nlohmann::ordered_json& j, const kdx::SectorTally& t, bool fix)
{
    j["sectors"] = t.sectors;
    j["mode1"] = t.mode1;
    j["mode2Form1"] = t.mode2Form1;
    j["mode2Form2"] = t.mode2Form2;
    j["other"] = t.other;
    j["wrong"] = t.wrong;
    j["wrongEdc"] = t.wrongEdc;
    j["wrongEcc"] = t.wrongEcc;
    j["firstWrong"] = std::vector<std::uint64_t>(t.firstWrong.begin(), t.firstWrong.begin() + t.listed);
    if (fix) j["fixed"] = t.fixed;
}

void PrintJson(const kdx::ImageScan& scan, bool fix)
{
    nlohmann::ordered_json j;
    j["raw"] = true;
    PutTally(j, scan.tally, fix);
    if (scan.cue) {
        nlohmann::ordered_json tracks = nlohmann::ordered_json::array();
        for (const kdx::TrackTally& t : scan.tracks) {
            nlohmann::ordered_json track;
            track["number"] = t.track.number;
            track["mode"] = kdx::CueModeName(t.track.mode);
            track["firstSector"] = t.track.first;
            track["length"] = t.track.sectors;
            track["checked"] = t.track.Checked();
            if (t.track.Checked()) PutTally(track, t.tally, fix);
            tracks.push_back(std::move(track));
        }
        j["tracks"] = std::move(tracks);
    }
    std::printf("%s\n", j.dump(2).c_str());
}

}  // namespace

int Sectors(const SectorsOptions& options, kdx::FileSystem& files)
{
    platform::console::ConsoleServices ui(options.answer);
    ProgressBar bar(stderr, ProgressWanted(options.quiet));
    BarObserver observer;
    ui.onTick = [&bar, &observer] { bar.Tick(observer.done, observer.total); };
    ui.beforeMessage = [&bar] { bar.Clear(); };

    kdx::Image image(files);
    if (const kdx::ImageOpenResult opened = image.Open(options.image, options.fix); !opened.ok())
        return FailImageOpen(opened);

    kdx::SectorLayout layout;
    const kdx::RawVerdict verdict = kdx::LayOutSectors(image, layout);
    if (verdict == kdx::RawVerdict::Unreadable) return Fail(commands::text::CantReadSectors(image.LastErrorText()));
    if (verdict != kdx::RawVerdict::Raw) {
        if (options.json) {
            nlohmann::ordered_json j;
            j["raw"] = false;
            j["reason"] = kdx::NotRawMessage(verdict);
            std::printf("%s\n", j.dump(2).c_str());
        }
        return Fail(kdx::NotRawMessage(verdict));
    }
    // Nothing to write where no track carries EDC/ECC: no question then.
    if (options.fix && layout.AnyChecked() &&
        platform::MessageDlg(commands::text::kFixSectorsQuestion, platform::MsgDlgType::mtWarning,
                             platform::MsgDlgButtons::mbYesNo) != platform::ModalResult::mrYes) {
        platform::MessageDlg(commands::text::kNothingFixed, platform::MsgDlgType::mtInformation,
                             platform::MsgDlgButtons::mbOK);
        return kExitFailed;
    }

    const kdx::ImageScan scan = kdx::ScanImage(image, layout, options.fix, observer);
    bar.Clear();
    if (!scan.ok)
        return Fail(scan.writing ? commands::text::CantWriteImage(scan.reason) : commands::text::CantReadSectors(scan.reason));
    if (options.fix && !image.Close()) return Fail(commands::text::CantWriteImage(image.LastErrorText()));
    if (options.json) PrintJson(scan, options.fix);
    else PrintLines(commands::SectorLines(scan, options.fix));
    // Fixed, every sector found wrong is right now.
    const bool right = scan.tally.wrong == 0 || (options.fix && scan.tally.fixed == scan.tally.wrong);
    return right ? kExitOk : kExitFailed;
}

}  // namespace cli
