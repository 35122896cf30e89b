// The progress line of apply, undo and make on standard error: a bar, the
// percentage, bytes per second and the time left, redrawn in place a few
// times a second at most, and taken off again before any other output.
#pragma once

#include "kdx/Observer.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace cli {

class ProgressBar {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{250};

    // A disabled bar draws nothing at all.
    ProgressBar(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Shows done of total bytes when the last drawing is kInterval ago.
    void Tick(std::int64_t done, std::int64_t total);
    // The same with the time and the figures given. The first call of an
    // operation only starts its clock, so a short one never shows a bar.
    void Tick(Clock::time_point now, std::int64_t done, std::int64_t total);
    // Takes the line off the terminal when one is shown.
    void Clear();

    // The text of the line for done of total bytes at the given rate.
    static std::string Line(std::int64_t done, std::int64_t total, double bytesPerSecond);

private:
    std::FILE* out_;
    bool enabled_;
    bool started_ = false;
    bool shown_ = false;
    std::int64_t total_ = 0;
    std::int64_t startDone_ = 0;
    Clock::time_point start_{};
    Clock::time_point last_{};
};

// Keeps a long operation's figures for the bar and lets the terminal
// backend pump, which draws the bar when it is due.
class BarObserver final : public kdx::Observer {
public:
    void Step(std::int64_t done, std::int64_t total) override;
    std::int64_t done = 0;
    std::int64_t total = 0;
};

// True when a bar is wanted: standard error is a terminal and not quiet.
bool ProgressWanted(bool quiet);

}  // namespace cli
