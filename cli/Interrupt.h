// Ctrl-C and a request to end stop a writer at its next pump (through
// platform::Abort), so that it removes its temporary file on the way out
// instead of leaving it behind.
#pragma once

#include "cli/ProgressBar.h"
#include "platform/console/ConsoleServices.h"

namespace cli {

// From now on an interrupt is noted instead of ending the process.
void CatchInterrupts();
// True once an interrupt came.
bool Interrupted();
// A writer's terminal: interrupts caught from now on and acted on at each
// pump, the bar drawn from the observer's figures, and taken off before a message.
void WatchWriter(platform::console::ConsoleServices& ui, ProgressBar& bar, const BarObserver& observer);

}  // namespace cli
