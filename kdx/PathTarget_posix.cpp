#include "kdx/PathTarget.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace kdx {

PathTarget ResolvePath(const std::string& path)
{
    PathTarget target;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    struct stat st {};
    if (real == nullptr || ::stat(real.get(), &st) != 0) {
        target.error = errno;
        return target;
    }
    target.path = real.get();
    target.links = static_cast<std::int64_t>(st.st_nlink);
    return target;
}

}  // namespace kdx
