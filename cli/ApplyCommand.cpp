#include "cli/BackupExtra.h"
#include "cli/Commands.h"
#include "cli/ProgressBar.h"
#include "cli/SectorExtra.h"

#include "commands/ApplyCommand.h"
#include "commands/LoadPatch.h"
#include "commands/Messages.h"
#include "platform/Controls.h"
#include "platform/Dispatch.h"

namespace cli {

namespace {

// A load or an apply that ended early: its box is out; a failed open adds the reason.
int Failed(const commands::PatchState& state)
{
    if (state.openError != 0) SayOpenReason(state.openError);
    return kExitFailed;
}

}  // namespace

int Apply(const ApplyOptions& options, kdx::FileSystem& files)
{
    platform::console::ConsoleServices ui(options.answer);
    ProgressBar bar(stderr, ProgressWanted(options.quiet));
    commands::PatchState state(files);
    ui.onTick = [&bar, &state] { bar.Tick(state.progress.done, state.progress.total); };
    ui.beforeMessage = [&bar] { bar.Clear(); };
    // The window's own box for an apply; an undo gets a line of its own.
    if (options.undo) state.successText = commands::text::kUndone;
    platform::PatchWindow window;
    auto controls = window.Controls();
    if (platform::Dispatch([&] { commands::LoadPatch(state, controls, options.patch); }) !=
        platform::Outcome::Completed)
        return Failed(state);
    // The window offers undo only for a patch with undo data; asked for
    // anyway, the patched bytes must not be written in its place.
    if (options.undo && !window.cbUndo.Enabled()) return Fail(commands::text::NoUndoData(options.patch));
    window.edtImage.SetText(options.image);
    window.cbUndo.SetChecked(options.undo);
    // The backup comes first: it must hold the bytes before anything else writes.
    BackupExtra backup(options.backup, options.image);
    if (!options.backup.empty()) state.extras.push_back(&backup);
    SectorExtra sectors;
    if (options.fixSectors) state.extras.push_back(&sectors);
    const auto outcome = platform::Dispatch([&] { commands::btnApplyClick(state, controls); });
    return outcome == platform::Outcome::Completed ? kExitOk : Failed(state);
}

}  // namespace cli
