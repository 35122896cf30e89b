// The checks of the whole-image scan on two cores: the sectors of one piece
// are checked while the caller reads the next. A helper thread starts on the
// piece at once; the caller joins in once its read is done, both taking
// short runs of sectors from a shared cursor. With one core the caller
// checks the piece alone after its read.
#pragma once

#include "kdx/CdSector.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace kdx {

class PieceChecker {
public:
    static constexpr std::size_t kMaxSectors = 448;  // ~1 MiB: one read of the scan

    PieceChecker();
    ~PieceChecker() = default;  // the helper is told to stop and joined
    PieceChecker(const PieceChecker&) = delete;
    PieceChecker& operator=(const PieceChecker&) = delete;

    // Checks the count (at most kMaxSectors) sectors at `sectors`, running
    // meanwhile on the caller's thread first; returns what it returned.
    // Afterwards Result(i) is the check of sector i of the piece.
    bool Check(const std::uint8_t* sectors, std::size_t count, const std::function<bool()>& meanwhile);
    const SectorCheck& Result(std::size_t i) const { return checks_[i]; }

private:
    void CheckShare();
    void Serve(const std::stop_token& stop);

    SectorCheck checks_[kMaxSectors];
    // Set before a piece is handed over under the lock, read after it.
    const std::uint8_t* sectors_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable_any handed_;  // the helper waits for a piece
    std::condition_variable finished_;    // the caller waits for the helper's share
    std::uint64_t piece_ = 0;             // pieces handed over
    std::uint64_t done_ = 0;              // pieces the helper is done with
    std::jthread helper_;                 // last: starts once everything it uses exists
};

}  // namespace kdx
