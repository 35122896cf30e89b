// Registers this program as the handler of a file type: the Windows
// registry under HKEY_CLASSES_ROOT, or the freedesktop folders of the user
// on Linux.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace desktop {

// Makes programPath the program that opens files ending in "." + extension,
// with the program's icon as their icon. Ends with a std::runtime_error on
// the first failure (on Windows "Failed to set data for ''" or "Failed to
// create key kdxfile"; elsewhere the file and the system's reason), leaving
// what was written before; the shell is then not notified.
void AssociateFileType(const std::string& extension, const std::string& programPath);

// The program's icon by pixel size, each string the whole content of a PNG
// file (not its path), for desktops that take the icon from a file (Linux).
// Set once at start by the program; Windows takes the program file's own icon.
void SetAssociationIcons(std::vector<std::pair<int, std::string>> pngBySize);

}  // namespace desktop
