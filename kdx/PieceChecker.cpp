#include "kdx/PieceChecker.h"

#include <algorithm>

namespace kdx {

namespace {
constexpr std::size_t kRun = 16;  // sectors taken from the cursor at a time
}  // namespace

PieceChecker::PieceChecker()
{
    if (std::thread::hardware_concurrency() > 1)
        helper_ = std::jthread([this](const std::stop_token& stop) { Serve(stop); });
}

bool PieceChecker::Check(const std::uint8_t* sectors, std::size_t count, const std::function<bool()>& meanwhile)
{
    {
        const std::lock_guard lock(mutex_);
        sectors_ = sectors;
        count_ = std::min(count, kMaxSectors);
        next_.store(0, std::memory_order_relaxed);
        ++piece_;
    }
    if (helper_.joinable()) handed_.notify_one();
    const bool result = meanwhile();
    CheckShare();
    if (helper_.joinable()) {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return done_ == piece_; });
    }
    return result;
}

void PieceChecker::CheckShare()
{
    for (;;) {
        const std::size_t first = next_.fetch_add(kRun, std::memory_order_relaxed);
        if (first >= count_) return;
        const std::size_t end = std::min(first + kRun, count_);
        for (std::size_t i = first; i < end; ++i)
            checks_[i] = CheckSector(SectorView(sectors_ + i * kSectorSize, kSectorSize));
    }
}

void PieceChecker::Serve(const std::stop_token& stop)
{
    for (std::uint64_t seen = 0;;) {
        {
            std::unique_lock lock(mutex_);
            if (!handed_.wait(lock, stop, [this, seen] { return piece_ != seen; })) return;
            seen = piece_;
        }
        CheckShare();
        {
            const std::lock_guard lock(mutex_);
            done_ = seen;
        }
        finished_.notify_one();
    }
}

}  // namespace kdx
