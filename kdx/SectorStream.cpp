#include "kdx/SectorStream.h"

#include <algorithm>

namespace kdx {

namespace {
constexpr std::size_t kRun = 16;  // sectors a thread takes at a time
}  // namespace

SectorStream::SectorStream() : buffers_(kSlots * kPieceSectors * kSectorSize)
{
    if (std::thread::hardware_concurrency() > 1) helper_ = std::thread([this] { Serve(); });
}

SectorStream::~SectorStream()
{
    if (!helper_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    work_.notify_one();
    helper_.join();
}

void SectorStream::Hand(std::size_t count)
{
    {
        const std::lock_guard lock(mutex_);
        Slot& slot = SlotOf(handed_);
        slot.count = std::min(count, kPieceSectors);
        slot.next = 0;
        slot.done = 0;
        ++handed_;
    }
    work_.notify_one();
}

SectorStream::Piece SectorStream::Take()
{
    Slot& slot = SlotOf(released_);
    for (;;) {
        std::unique_lock lock(mutex_);
        if (slot.done == slot.count) break;
        Run run;
        if (!TakeRun(run)) {
            // The helper holds the piece's last runs.
            checked_.wait(lock, [&slot] { return slot.done == slot.count; });
            break;
        }
        lock.unlock();
        CheckRun(run);
    }
    return {Bytes(released_), slot.checks, slot.count};
}

void SectorStream::Release()
{
    const std::lock_guard lock(mutex_);
    ++released_;
}

bool SectorStream::TakeRun(Run& run)
{
    for (; taking_ < handed_; ++taking_) {
        Slot& slot = SlotOf(taking_);
        if (slot.next == slot.count) continue;
        run = {taking_, slot.next, std::min(slot.next + kRun, slot.count)};
        slot.next = run.end;
        return true;
    }
    return false;
}

void SectorStream::CheckRun(const Run& run)
{
    Slot& slot = SlotOf(run.piece);
    const std::uint8_t* bytes = Bytes(run.piece);
    for (std::size_t i = run.first; i < run.end; ++i)
        slot.checks[i] = CheckSector(SectorView(bytes + i * kSectorSize, kSectorSize));
    bool complete = false;
    {
        const std::lock_guard lock(mutex_);
        slot.done += run.end - run.first;
        complete = slot.done == slot.count;
    }
    if (complete) checked_.notify_one();
}

void SectorStream::Serve()
{
    for (;;) {
        Run run;
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [this, &run] { return quit_ || TakeRun(run); });
            if (quit_) return;
        }
        CheckRun(run);
    }
}

}  // namespace kdx
