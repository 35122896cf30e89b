// Keeps the message pump cheap when it is called once per patch record:
// the clock is read only every kCallsPerClockRead calls, and events are
// due at most every kInterval.
#pragma once

#include <chrono>

namespace platform {

class PumpThrottle {
public:
    static constexpr unsigned kCallsPerClockRead = 256;
    static constexpr std::chrono::milliseconds kInterval{15};

    // True when the caller should process pending events now.
    bool Due()
    {
        if (++calls_ < kCallsPerClockRead) return false;
        calls_ = 0;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < kInterval) return false;
        last_ = now;
        return true;
    }

private:
    unsigned calls_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace platform
