#include "ui/Homepage.h"

#include <filesystem>
#include <system_error>

namespace ui {

std::string HomepageFor(const std::string& exePath)
{
    if (exePath.empty()) return MENDRIX_HOMEPAGE;
    // The same folder whatever way it is spelt (links, "..", a trailing slash).
    std::error_code error;
    const bool inBuildTree =
        std::filesystem::equivalent(std::filesystem::path(exePath).parent_path(), MENDRIX_BUILD_BIN, error);
    return inBuildTree ? MENDRIX_BUILD_HOMEPAGE : MENDRIX_HOMEPAGE;
}

std::string AddressCaption(const std::string& address)
{
    if (address.starts_with("file:")) return address.substr(address.find_last_of('/') + 1);
    const std::size_t scheme = address.find("://");
    return scheme == std::string::npos ? address : address.substr(scheme + 3);
}

}  // namespace ui
