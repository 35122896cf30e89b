// mendrix-cli merge: the image behind a cue sheet written as one file, with
// its cue sheet beside it, for tools that take one file only.
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"

#include "commands/CueTexts.h"
#include "commands/Messages.h"
#include "kdx/CueMerge.h"
#include "platform/Dispatch.h"

namespace cli {

int Merge(const MergeOptions& options, kdx::FileSystem& files)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    ProgressBar bar(stderr, ProgressWanted(options.quiet));
    BarObserver observer;
    WatchWriter(ui, bar, observer);

    kdx::Image image(files);
    if (const kdx::ImageOpenResult opened = image.Open(options.cue, false); !opened.ok()) return FailImageOpen(opened);
    const kdx::MergeTarget target{options.output, kdx::SheetBeside(options.output), options.yes};
    kdx::MergeResult result;
    const platform::Outcome outcome =
        platform::Dispatch([&] { result = kdx::MergeCueImage(image, target, observer); });
    if (outcome == platform::Outcome::Aborted) return Fail(commands::text::kMergeInterrupted);
    if (outcome == platform::Outcome::Failed) return kExitFailed;
    if (!result.ok()) return Fail(commands::MergeErrorText(result));
    platform::MessageDlg(commands::MergeWrittenText(result, target.sheet), platform::MsgDlgType::mtInformation,
                         platform::MsgDlgButtons::mbOK);
    return kExitOk;
}

}  // namespace cli
