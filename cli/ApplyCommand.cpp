#include "Commands.h"

#include "../engine/ApplyCommand.h"
#include "../engine/LoadPatch.h"
#include "../platform/Dispatch.h"

namespace cli {

int Apply(const ApplyOptions& options)
{
    platform::console::ConsoleServices ui(options.answer);
    Window window;
    auto controls = window.Controls();
    if (platform::Dispatch([&] { engine::LoadPatch(controls, options.patch); }) != platform::Outcome::Completed)
        return kExitFailed;
    window.edtImage.SetText(options.image);
    // As in the window: the tick counts only for a patch with undo data.
    window.cbUndo.SetChecked(options.undo);
    const auto outcome = platform::Dispatch([&] { engine::btnApplyClick(controls); });
    return outcome == platform::Outcome::Completed ? kExitOk : kExitFailed;
}

}  // namespace cli
