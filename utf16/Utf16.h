// Text at the Windows boundary: the program keeps UTF-8, every Windows call
// takes UTF-16. Below every layer: the file layer, the Windows backends and
// the registry all convert here.
#pragma once

#include <string>

namespace utf16 {

// UTF-8 to UTF-16; bytes that are no valid UTF-8 become U+FFFD.
std::wstring Widen(const std::string& utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16);
// A path for the file calls: absolute paths of MAX_PATH characters or more
// get the "\\?\" prefix (and "\\?\UNC\" for a share), which lifts the
// length limit; "/" becomes "\" there, as the prefix turns off that mapping.
std::wstring FilePath(const std::string& utf8);

}  // namespace utf16
