// The progress line: its text, and that it is drawn a few times a second at
// most, never for a short operation, and taken off again.
#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace std::chrono_literals;
using cli::ProgressBar;

constexpr double kMiB = 1024.0 * 1024.0;

TEST(ProgressBar, LineShowsShareRateAndTimeLeft)
{
    EXPECT_EQ(ProgressBar::Line(1024 * 1024 * 1024LL, 3 * 1024 * 1024 * 1024LL, 100 * kMiB),
              "[##########....................]  33%  100.0 MiB/s  0:20 left");
    EXPECT_EQ(ProgressBar::Line(0, 1000000000000LL, 1e6), "[..............................]   0%  976.6 KiB/s  277:46:40 left");
    EXPECT_EQ(ProgressBar::Line(10, 10, 512), "[##############################] 100%  512.0 B/s  0:00 left");
    EXPECT_EQ(ProgressBar::Line(5, 10, 0), "[###############...............]  50%  0.0 B/s  --:-- left");
}

std::string Drawn(std::FILE* f)
{
    std::fflush(f);
    std::string text;
    std::rewind(f);
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) text += static_cast<char>(c);
    return text;
}

// The line as drawn: from the start of the terminal line, the rest erased.
std::string Shown(std::int64_t done, std::int64_t total, double rate)
{
    std::string text("\r");
    text += ProgressBar::Line(done, total, rate);
    text += "\033[K";
    return text;
}

TEST(ProgressBar, DrawsAtMostEveryQuarterSecondAndClearsItsLine)
{
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const auto t0 = ProgressBar::Clock::now();
    {
        ProgressBar bar(f, true);
        bar.Tick(t0, 0, 100);            // starts the clock only
        bar.Tick(t0 + 200ms, 10, 100);   // too soon
        EXPECT_EQ(Drawn(f), "");
        bar.Tick(t0 + 1000ms, 50, 100);  // 50 bytes in a second
        EXPECT_EQ(Drawn(f), Shown(50, 100, 50));
        bar.Tick(t0 + 1100ms, 60, 100);
        EXPECT_EQ(Drawn(f), Shown(50, 100, 50));
    }
    // Taken off when the bar goes.
    EXPECT_EQ(Drawn(f), Shown(50, 100, 50) + "\r\033[K");
    std::fclose(f);
}

TEST(ProgressBar, DrawsNothingWhenDisabledOrIdle)
{
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const auto t0 = ProgressBar::Clock::now();
    {
        ProgressBar off(f, false);
        off.Tick(t0, 0, 100);
        off.Tick(t0 + 5s, 50, 100);
        ProgressBar idle(f, true);
        idle.Tick(t0, 0, 0);
        idle.Tick(t0 + 5s, 0, 0);
        idle.Clear();
    }
    EXPECT_EQ(Drawn(f), "");
    std::fclose(f);
}

}  // namespace
