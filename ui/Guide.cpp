#include "ui/Guide.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace ui {
namespace {

// What ends a folder's name in a path of this system.
#ifdef _WIN32
constexpr const char* kSeparators = "\\/";
#else
constexpr const char* kSeparators = "/";
#endif

}  // namespace

std::string Beside(const std::string& file, const std::string& relative)
{
    const std::size_t end = file.find_last_of(kSeparators);
    if (end == std::string::npos) return relative;  // a bare name lies in the current folder
    std::string folder = file.substr(0, end);
    std::string_view rest = relative;
    while (rest.starts_with("../")) {
        const std::size_t up = folder.find_last_of(kSeparators);
        if (up != std::string::npos)
            folder.resize(up);
        else if (!folder.empty())
            break;  // a drive or a relative path's first folder stays as it is
        rest.remove_prefix(3);  // at the root, ".." is the root
    }
    return folder + file[end] + std::string(rest);
}

std::string GuidePath(const std::string& exePath)
{
    // The build tree's program folder, whatever way it is spelt (links, "..").
    const std::string buildBin = MENDRIX_BUILD_BIN;
    std::error_code error;
    if (!buildBin.empty() && !exePath.empty() &&
        std::filesystem::equivalent(std::filesystem::path(exePath).parent_path(), buildBin, error))
        return MENDRIX_SOURCE_GUIDE;
    return Beside(exePath, MENDRIX_GUIDE);
}

std::string GuideCaption(const std::string& path)
{
    const std::size_t end = path.find_last_of(kSeparators);
    return end == std::string::npos ? path : path.substr(end + 1);
}

}  // namespace ui
