// What the window's commands keep from one command to the next: the last
// load of each version, the busy flag of an apply and the cursor to restore
// after it. The program owns one (the main form holds it); nothing of it is
// process-wide, so tests and several windows each have their own.
#pragma once

#include "commands/ApplyExtra.h"
#include "commands/Messages.h"
#include "kdx/FileSystem.h"
#include "kdx/Layout.h"
#include "kdx/Patch.h"
#include "platform/Services.h"

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <vector>

namespace commands {

// How far the running apply has come: bytes of records handled of all.
struct Progress {
    std::int64_t done = 0;
    std::int64_t total = 0;
};

struct PatchState {
    explicit PatchState(kdx::FileSystem& fileSystem = kdx::SystemFiles()) : files(fileSystem) {}

    // Where the patch and the image are opened, read and written.
    kdx::FileSystem& files;
    // By encoding method: what the last load of that version read, kept
    // until the next load of the same version.
    std::array<std::optional<kdx::Patch>, std::size(kdx::kVersions)> lastLoad;
    // True while an apply runs its checks and writes the image.
    bool Patching = false;
    // The screen cursor in force when the apply began.
    platform::Cursor SavedCursor = platform::crDefault;
    // Updated before each pump of an apply, for whatever shows progress.
    Progress progress;
    // Run in order around each apply's writing; the caller keeps them alive.
    std::vector<ApplyExtra*> extras;
    // The system's error number of the open that failed in the last load or
    // apply, 0 when none did: the boxes name only the path, a front end may
    // add the reason.
    int openError = 0;
    // The box that ends an apply written and flushed: the window's always; a
    // front end may name an undo its own way.
    const char* successText = text::kSuccess;
};

}  // namespace commands
