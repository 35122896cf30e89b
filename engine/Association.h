// Registers this program as the handler of a file type: the Windows
// registry under HKEY_CLASSES_ROOT, or the freedesktop folders of the user
// on Linux. Part of uStd.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace uStd {

// Makes programPath the program that opens files ending in "." + extension,
// with the program's icon as their icon. Ends with a std::runtime_error
// ("Failed to set data for '...'", "Failed to create key ...") on the first
// failure, leaving what was written before; the shell is then not notified.
void AssociateFileType(const std::string& extension, const std::string& programPath);

// The program's icon by pixel size, each string the whole content of a PNG
// file (not its path), for desktops that take the icon from a file (Linux).
// Set once at start by the program; Windows takes the program file's own icon.
void SetAssociationIcons(std::vector<std::pair<int, std::string>> pngBySize);

}  // namespace uStd
