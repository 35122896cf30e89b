// The names a cue sheet gives its track files: their text, and whether
// they stay inside the sheet's folder by their letters alone (links are
// followed by ReadCueImage).
#pragma once

#include "kdx/CueSheet.h"

#include <optional>
#include <string>
#include <string_view>

namespace kdx {

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view bytes);

// The bytes as UTF-8: kept when they are UTF-8, otherwise read as
// Windows-1252. Nothing when they are neither (a byte Windows-1252 leaves
// undefined: 81, 8D, 8F, 90, 9D).
std::optional<std::string> NameToUtf8(std::string_view bytes);

// The same for a message: undefined bytes become U+FFFD, and a text longer
// than 80 characters is cut there with "...".
std::string ShownText(std::string_view bytes);

struct NameCheck {
    CueFault fault = CueFault::None;  // EmptyName, AbsoluteName, ColonInName, ClimbingName
    std::string name;                 // relative, parts joined by '/', "." parts dropped
};

// A FILE name as a path below the sheet's folder, either slash a separator.
// Refuses an empty name, an absolute one on either system (/x, \x,
// \\server\x, C:\x, and C:x too), any colon (a drive or, on Windows, a
// stream of another file), and any part made of dots and blanks alone
// other than "." ("..", and the "..." or ".. " that Windows trims to one).
NameCheck CheckTrackFileName(const std::string& utf8);

}  // namespace kdx
