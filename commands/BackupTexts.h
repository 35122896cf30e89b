// What a user reads of a backup written before an apply.
#pragma once

#include "kdx/Backup.h"

#include <string>

namespace commands {

// Why no backup was written (and so nothing written to the image); empty
// for Written and NotNeeded.
std::string BackupErrorText(const kdx::BackupResult& result);

// The lines that tell where the backup is and what applying it gives back.
std::string BackupWrittenText(const kdx::BackupResult& result);

}  // namespace commands
