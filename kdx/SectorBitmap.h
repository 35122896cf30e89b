// The sectors that a patch's records touch, one bit per sector, so that the
// state of each before an apply can be kept for any image size.
#pragma once

#include <cstdint>
#include <vector>

namespace kdx {

// One bit per sector: the sectors that a patch's records touch.
class SectorBitmap {
public:
    explicit SectorBitmap(std::uint64_t sectorCount);  // none marked

    std::uint64_t SectorCount() const { return sectorCount_; }
    void Mark(std::uint64_t lba);
    void Unmark(std::uint64_t lba);
    bool IsMarked(std::uint64_t lba) const;
    // The first marked LBA at or after `from`, or SectorCount() when there is none.
    std::uint64_t NextMarked(std::uint64_t from) const;
    std::uint64_t MarkedCount() const;

private:
    std::uint64_t sectorCount_;
    std::vector<std::uint64_t> words_;
};

}  // namespace kdx
