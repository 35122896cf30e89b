// mendrix-bench --sectors: reading a raw image once against reading it and
// checking the EDC/ECC of every sector, side by side.
#pragma once

#include "bench/Bench.h"

namespace bench {

// Builds the raw image (untimed), checks the check's counts, times both loops
// round robin and prints their table. False when a result is wrong.
bool RunSectorsBench(const Options& options);

}  // namespace bench
