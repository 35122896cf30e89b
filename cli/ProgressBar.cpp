#include "cli/ProgressBar.h"

#include "platform/Services.h"
#include "platform/console/Terminal.h"

#include <algorithm>

namespace cli {

namespace {
constexpr int kBarWidth = 30;

std::string Rate(double bytesPerSecond)
{
    static const char* const kUnits[] = {"B/s", "KiB/s", "MiB/s", "GiB/s"};
    int unit = 0;
    while (bytesPerSecond >= 1024 && unit < 3) {
        bytesPerSecond /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", bytesPerSecond, kUnits[unit]);
    return text;
}

std::string Duration(double seconds)
{
    const auto s = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (s >= 3600) std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    return text;
}
}  // namespace

std::string ProgressBar::Line(std::int64_t done, std::int64_t total, double bytesPerSecond)
{
    const double share = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
    const int filled = std::clamp(static_cast<int>(share * kBarWidth), 0, kBarWidth);
    char bar[kBarWidth + 1] = {};
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    const std::string left =
        bytesPerSecond > 0 ? Duration(static_cast<double>(total - done) / bytesPerSecond) : std::string("--:--");
    char line[128];
    std::snprintf(line, sizeof line, "[%s] %3d%%  %s  %s left", bar, static_cast<int>(share * 100),
                  Rate(bytesPerSecond).c_str(), left.c_str());
    return line;
}

void ProgressBar::Tick(std::int64_t done, std::int64_t total) { Tick(Clock::now(), done, total); }

void ProgressBar::Tick(Clock::time_point now, std::int64_t done, std::int64_t total)
{
    if (!enabled_ || total <= 0) return;
    if (!started_ || total != total_) {
        started_ = true;
        total_ = total;
        startDone_ = done;
        start_ = last_ = now;
        return;
    }
    if (now - last_ < kInterval) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done - startDone_) / seconds : 0.0;
    std::fprintf(out_, "\r%s\033[K", Line(done, total, rate).c_str());
    std::fflush(out_);
    shown_ = true;
}

void ProgressBar::Clear()
{
    if (!shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    shown_ = false;
}

void BarObserver::Step(std::int64_t doneNow, std::int64_t totalNow)
{
    done = doneNow;
    total = totalNow;
    platform::ProcessMessages();
}

bool ProgressWanted(bool quiet) { return !quiet && platform::console::IsTerminal(stderr); }

}  // namespace cli
