// The user's list of default programs by MIME type (mimeapps.list).
#pragma once

#include <string>

namespace desktop {

// The list's text with desktopId as the default program of mimeType under
// [Default Applications]: an entry for the type is replaced in place (later
// duplicates of it are dropped), else added at the end of that group, which
// is added at the end when missing. Every other line stays as it was.
std::string WithDefaultApplication(const std::string& text, const std::string& mimeType, const std::string& desktopId);

}  // namespace desktop
