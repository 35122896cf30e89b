#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"

#include "commands/Messages.h"
#include "commands/ResultTexts.h"
#include "commands/SectorTexts.h"
#include "kdx/MakePatch.h"
#include "platform/Dispatch.h"
#include "platform/MemoText.h"

#include <string>

namespace cli {

int Make(const MakeOptions& options, kdx::FileSystem& files)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    ProgressBar bar(stderr, ProgressWanted(options.quiet));
    BarObserver observer;
    WatchWriter(ui, bar, observer);

    kdx::MakeOptions write;
    write.original = options.original;
    write.modified = options.modified;
    write.patch = options.output;
    write.version = options.version;
    write.undo = options.undo;
    write.blockCheck = options.blockCheck;
    write.giImage = options.giImage;
    write.fixSectors = options.fixSectors;
    if (!options.diz.empty()) write.dizPath = options.diz;
    // Readers show the description as Windows-1252: typed UTF-8 is stored so;
    // bytes that are no UTF-8 are taken as they are.
    const platform::Encoded encoded = platform::Utf8ToCp1252(options.description, write.description);
    if (encoded == platform::Encoded::NotUtf8) write.description = options.description;
    if (encoded == platform::Encoded::Unmappable)
        return Fail(commands::text::kDescriptionNotCp1252);

    kdx::MakeResult result;
    const platform::Outcome outcome = platform::Dispatch([&] { result = kdx::MakePatch(write, observer, files); });
    if (outcome == platform::Outcome::Aborted) return Fail(commands::text::kMakeInterrupted);
    if (outcome == platform::Outcome::Failed) return kExitFailed;
    if (!result.ok()) return Fail(commands::MakeErrorText(result));
    if (result.brokenSectors > 0)
        platform::MessageDlg(options.fixSectors ? commands::text::BrokenSectorsFixed(result.brokenSectors)
                                                : commands::text::BrokenSectorsWarning(result.brokenSectors,
                                                                                       result.firstBrokenSector),
                             options.fixSectors ? platform::MsgDlgType::mtInformation : platform::MsgDlgType::mtWarning,
                             platform::MsgDlgButtons::mbOK);
    platform::MessageDlg(commands::MakeWrittenText(result, options.output), platform::MsgDlgType::mtInformation,
                         platform::MsgDlgButtons::mbOK);
    return kExitOk;
}

}  // namespace cli
