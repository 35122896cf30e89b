// The sectors of the whole-image scan on their way from the file to the
// tally. The caller reads pieces into a ring of three buffers and hands
// each over; a helper thread (where there is a second core) and the caller
// check their sectors in short runs, oldest piece first; the caller takes
// the pieces back in order, checked. Only the caller touches the file, and
// neither thread waits for the other while a handed piece has sectors left.
#pragma once

#include "kdx/CdSector.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace kdx {

class SectorStream {
public:
    static constexpr std::size_t kPieceSectors = 448;  // ~1 MiB: one read

    struct Piece {
        std::uint8_t* bytes;        // count sectors, the caller's to change until Release
        const SectorCheck* checks;  // the check of each
        std::size_t count;
    };

    SectorStream();
    ~SectorStream();  // the helper ends after the run it is checking
    SectorStream(const SectorStream&) = delete;
    SectorStream& operator=(const SectorStream&) = delete;

    // True while a buffer is free for the next piece.
    bool HasRoom() const { return handed_ - released_ < kSlots; }
    // The free buffer the next piece is read into: room for kPieceSectors.
    std::uint8_t* NextBuffer() { return Bytes(handed_); }
    // Hands over the count (1 to kPieceSectors) sectors read into NextBuffer.
    void Hand(std::size_t count);
    // The oldest piece handed over and not released, once every sector of
    // it is checked; the caller checks sectors meanwhile.
    Piece Take();
    // Frees the oldest piece's buffer for the next one.
    void Release();

private:
    static constexpr std::size_t kSlots = 3;
    struct Slot {
        std::size_t count = 0;
        std::size_t next = 0;  // the first sector no thread has taken yet
        std::size_t done = 0;  // sectors checked
        SectorCheck checks[kPieceSectors];
    };
    struct Run {
        std::uint64_t piece = 0;
        std::size_t first = 0;
        std::size_t end = 0;
    };

    std::uint8_t* Bytes(std::uint64_t piece) { return buffers_.data() + piece % kSlots * kPieceSectors * kSectorSize; }
    Slot& SlotOf(std::uint64_t piece) { return slots_[piece % kSlots]; }
    // Takes the next run of the oldest piece with sectors left; false when none has.
    bool TakeRun(Run& run);
    void CheckRun(const Run& run);
    void Serve();

    std::vector<std::uint8_t> buffers_;
    Slot slots_[kSlots];
    // Pieces are numbered from 0 as they are handed over; the counters and
    // the slots' counts are guarded by mutex_ (handed_ and released_ change
    // on the caller's thread only).
    std::uint64_t handed_ = 0;
    std::uint64_t released_ = 0;
    std::uint64_t taking_ = 0;  // the oldest piece that may have sectors left
    bool quit_ = false;
    std::mutex mutex_;
    std::condition_variable work_;     // the helper waits for sectors to check
    std::condition_variable checked_;  // the caller waits for its piece's last run
    std::thread helper_;               // last: starts once everything it uses exists
};

}  // namespace kdx
