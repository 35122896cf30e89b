// Ctrl-C and a request to end stop a writer at its next pump (through
// platform::Abort), so that it removes its temporary file on the way out
// instead of leaving it behind.
#pragma once

namespace cli {

// From now on an interrupt is noted instead of ending the process.
void CatchInterrupts();
// True once an interrupt came.
bool Interrupted();

}  // namespace cli
