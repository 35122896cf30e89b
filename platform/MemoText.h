// How the information memo shows its entries, shared by every backend that
// displays them: an entry ends at its first zero byte, its line breaks
// (CR LF, CR or LF) start new lines, and the bytes that come from a patch
// are Windows-1252, while the Filename line holds the system's own path.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The lines the memo shows for the given entries, still as 8-bit bytes.
std::vector<std::string> DisplayLines(const std::vector<std::string>& entries);

// Decodes Windows-1252 bytes to UTF-8. With sanitize, control characters
// other than tab (below 0x20, and 0x7F) and the five bytes Windows-1252
// leaves undefined become "?"; without it they become U+FFFD or stay as
// their control code.
std::string Cp1252ToUtf8(const std::string& bytes, bool sanitize);

// Encodes UTF-8 text as Windows-1252 bytes into out. NotUtf8 when the text
// is no valid UTF-8, Unmappable when it holds a character that Windows-1252
// lacks; out is left alone then.
enum class Encoded { Ok, NotUtf8, Unmappable };
Encoded Utf8ToCp1252(const std::string& text, std::string& out);

// The label of the line that carries the patch's path.
inline constexpr const char* kFilenameLabel = "Filename       : ";

// A displayed line as UTF-8: the path of the Filename line is the system's
// text (UTF-8) and stays as it is, unless it is no valid UTF-8; every other
// line is decoded from Windows-1252. sanitize as for Cp1252ToUtf8.
std::string MemoLineToUtf8(const std::string& line, bool sanitize);

}  // namespace platform
