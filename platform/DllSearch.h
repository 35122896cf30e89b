// Where the program's libraries may come from once it runs.
#pragma once

namespace platform {

// Called first thing at start: on Windows every DLL loaded from then on
// (the shell's components behind a file dialog, say) comes from the system
// folder only, never from the program's folder or the current one, where a
// download could have planted a DLL of a system name. Elsewhere it does
// nothing: the libraries there come from the system's own paths.
void LoadDllsFromSystemOnly();

}  // namespace platform
