// The address the About window shows and opens: the program's own
// documentation (MENDRIX_HOMEPAGE in the build), or the source tree's
// README for a program run from the build tree.
#pragma once

#include <string>

namespace ui {

// The address for the program file at exePath: the build tree's address
// when that file lies in the build's program folder, otherwise the
// configured one. Never fails; an empty path gets the configured one.
std::string HomepageFor(const std::string& exePath);

// What the label shows of an address, short enough for its fixed width:
// a file address by the file's name, any other without its scheme.
std::string AddressCaption(const std::string& address);

}  // namespace ui
