// Windows-1252, the code page of the texts that patches and cue sheets
// store, against UTF-8, which the program keeps. Portable: no Windows call.
#pragma once

#include <cstdint>
#include <string>

namespace utf16 {

// The code point of byte b read as Windows-1252; 0 for the five bytes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
std::uint32_t Windows1252CodePoint(unsigned char b);
// The Windows-1252 byte of code point cp, or -1 when the code page has none.
int Windows1252Byte(std::uint32_t cp);
// Appends code point cp (below U+10000) as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t cp);

}  // namespace utf16
