#include "kdx/EdcFold.h"

namespace kdx::detail {

// No carry-less multiply on this processor family: the tables do it all.
bool FoldEdc(const std::uint8_t*, std::size_t, std::uint32_t, std::uint8_t*)
{
    return false;
}

}  // namespace kdx::detail
