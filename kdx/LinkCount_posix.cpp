#include "kdx/LinkCount.h"

#include <cerrno>
#include <sys/stat.h>

namespace kdx {

std::int64_t HardLinkCount(const std::string& path, int& error)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = errno;
        return -1;
    }
    return static_cast<std::int64_t>(st.st_nlink);
}

}  // namespace kdx
