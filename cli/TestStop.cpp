#include "cli/TestStop.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace cli {

TestStop::TestStop()
{
    if (const char* value = std::getenv(kVariable)) percent_ = std::atoi(value);
}

void TestStop::Check(std::int64_t done, std::int64_t total) const
{
    if (total <= 0 || done * 100 < total * percent_) return;
    std::fprintf(stderr, "Stopped for a test at %lld of %lld Bytes of patch data\n", static_cast<long long>(done),
                 static_cast<long long>(total));
    std::fflush(stderr);
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace cli
