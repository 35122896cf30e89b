// A hook for the tests of an interrupted apply: with MENDRIX_TEST_STOP_PERCENT
// set, the apply stops once that share of its records is written, says so
// on standard error and waits to be killed. Unset, it does nothing.
#pragma once

#include <cstdint>

namespace cli {

class TestStop {
public:
    static constexpr const char* kVariable = "MENDRIX_TEST_STOP_PERCENT";

    TestStop();
    bool Armed() const { return percent_ > 0; }
    // Stops for good once done reaches the share of total.
    void Check(std::int64_t done, std::int64_t total) const;

private:
    int percent_ = 0;
};

}  // namespace cli
