// mendrix-cli sectors: the raw sectors of an image counted and checked, and
// with --fix the wrong ones repaired in place.
#include "cli/Commands.h"
#include "cli/ProgressBar.h"

#include "commands/Messages.h"
#include "commands/SectorTexts.h"
#include "kdx/File.h"
#include "kdx/ImageSectors.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

namespace cli {

namespace {

void PrintJson(const kdx::SectorTally& t, bool fix)
{
    nlohmann::ordered_json j;
    j["raw"] = true;
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

    kdx::File image(files);
    const bool opened = options.fix ? kdx::OpenReadWrite(image, options.image) : kdx::OpenReadOnly(image, options.image);
    if (!opened) return FailOpen(commands::text::CantOpenImage(options.image), image.LastError());

    std::uint64_t count = 0;
    const kdx::RawVerdict verdict = kdx::JudgeImage(image, count);
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
    if (options.fix && platform::MessageDlg(commands::text::kFixSectorsQuestion, platform::MsgDlgType::mtWarning,
                                            platform::MsgDlgButtons::mbYesNo) != platform::ModalResult::mrYes) {
        platform::MessageDlg(commands::text::kNothingFixed, platform::MsgDlgType::mtInformation,
                             platform::MsgDlgButtons::mbOK);
        return kExitFailed;
    }

    const kdx::ImageScan scan = kdx::ScanImage(image, options.fix, observer);
    bar.Clear();
    if (!scan.ok) {
        const std::string reason = kdx::SystemErrorText(scan.error);
        return Fail(scan.writing ? commands::text::CantWriteImage(reason) : commands::text::CantReadSectors(reason));
    }
    if (options.fix && !image.Close()) return Fail(commands::text::CantWriteImage(image.LastErrorText()));
    if (options.json) PrintJson(scan.tally, options.fix);
    else PrintLines(commands::SectorLines(scan.tally, options.fix));
    // Fixed, every sector found wrong is right now.
    const bool right = scan.tally.wrong == 0 || (options.fix && scan.tally.fixed == scan.tally.wrong);
    return right ? kExitOk : kExitFailed;
}

}  // namespace cli
