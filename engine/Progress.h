// How far the running long operation (an apply, the making of a patch) has
// come. The operation updates it before each pump, so whatever shows progress
// reads it when the pump is due; the loops never read a clock for it.
#pragma once

#include <cstdint>

namespace engine {

struct Progress {
    std::int64_t done = 0;   // bytes handled so far
    std::int64_t total = 0;  // bytes to handle; 0 when nothing runs
};

extern Progress CurrentProgress;

}  // namespace engine
