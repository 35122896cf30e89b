#include "Commands.h"
#include "ProgressBar.h"

#include "../engine/ApplyCommand.h"
#include "../engine/LoadPatch.h"
#include "../platform/Dispatch.h"

namespace cli {

int Apply(const ApplyOptions& options)
{
    platform::console::ConsoleServices ui(options.answer);
    ProgressBar bar(stderr, ProgressWanted(options.quiet));
    ui.onTick = [&bar] { bar.Tick(); };
    ui.beforeMessage = [&bar] { bar.Clear(); };
    Window window;
    auto controls = window.Controls();
    if (platform::Dispatch([&] { engine::LoadPatch(controls, options.patch); }) != platform::Outcome::Completed)
        return kExitFailed;
    // The window offers undo only for a patch with undo data; asked for
    // anyway, the patched bytes must not be written in its place.
    if (options.undo && !window.cbUndo.Enabled()) {
        platform::MessageDlg("This patch carries no undo data, it cannot be taken back out of an image (" +
                                 options.patch + ")",
                             platform::MsgDlgType::mtError, platform::MsgDlgButtons::mbOK);
        return kExitFailed;
    }
    window.edtImage.SetText(options.image);
    window.cbUndo.SetChecked(options.undo);
    const auto outcome = platform::Dispatch([&] { engine::btnApplyClick(controls); });
    return outcome == platform::Outcome::Completed ? kExitOk : kExitFailed;
}

}  // namespace cli
