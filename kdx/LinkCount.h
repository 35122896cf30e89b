// How many names a file has: a file with another hard link may be reached
// from anywhere on its volume, so writing it changes a file elsewhere.
#pragma once

#include <cstdint>
#include <string>

namespace kdx {

// The count of hard links of the file at path (UTF-8, links followed), or
// -1 with the system's error number in error.
std::int64_t HardLinkCount(const std::string& path, int& error);

}  // namespace kdx
