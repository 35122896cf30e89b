// Where a path leads once every link on the way is followed, and how many
// names the file there has: a file with another hard link may be reached
// from anywhere on its volume, so writing it changes a file elsewhere.
#pragma once

#include <cstdint>
#include <string>

namespace kdx {

struct PathTarget {
    std::string path;        // absolute, every link resolved, UTF-8
    std::int64_t links = 0;  // hard links of the file or folder there
    int error = 0;           // the system's error number when it cannot be told
};

// Resolves an existing file or folder's path (UTF-8). On failure error is set
// and the path is empty.
PathTarget ResolvePath(const std::string& path);

}  // namespace kdx
