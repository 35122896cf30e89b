#include "kdx/SectorBitmap.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace kdx {

SectorBitmap::SectorBitmap(std::uint64_t sectorCount)
    : sectorCount_(sectorCount), words_(static_cast<std::size_t>((sectorCount + 63) / 64), 0)
{
}

void SectorBitmap::Mark(std::uint64_t lba)
{
    if (lba < sectorCount_) words_[lba / 64] |= std::uint64_t{1} << (lba % 64);
}

void SectorBitmap::Unmark(std::uint64_t lba)
{
    if (lba < sectorCount_) words_[lba / 64] &= ~(std::uint64_t{1} << (lba % 64));
}

bool SectorBitmap::IsMarked(std::uint64_t lba) const
{
    return lba < sectorCount_ && (words_[lba / 64] >> (lba % 64) & 1) != 0;
}

std::uint64_t SectorBitmap::NextMarked(std::uint64_t from) const
{
    if (from >= sectorCount_) return sectorCount_;
    auto w = static_cast<std::size_t>(from / 64);
    std::uint64_t bits = words_[w] & (~std::uint64_t{0} << (from % 64));
    while (bits == 0) {
        if (++w == words_.size()) return sectorCount_;
        bits = words_[w];
    }
    return w * std::uint64_t{64} + static_cast<std::uint64_t>(std::countr_zero(bits));
}

std::uint64_t SectorBitmap::MarkedCount() const
{
    std::uint64_t count = 0;
    for (const std::uint64_t word : words_) count += static_cast<std::uint64_t>(std::popcount(word));
    return count;
}

}  // namespace kdx
