#include "kdx/Parity.h"

namespace kdx::detail {

// No vector path for this processor family: the portable code does it all.
bool FastParity(const std::uint8_t*, bool, std::uint8_t*, std::uint8_t*)
{
    return false;
}

}  // namespace kdx::detail
