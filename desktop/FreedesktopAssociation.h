// The file-type association the way freedesktop desktops (Linux) take it,
// in the user's own folders: a MIME type for the extension, a desktop entry
// that opens it, the program's icons, and the default program for the type.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace desktop {

struct XdgFolders {
    std::filesystem::path dataHome;    // $XDG_DATA_HOME, ~/.local/share
    std::filesystem::path configHome;  // $XDG_CONFIG_HOME, ~/.config
};

// The program's icon by pixel size, each the whole content of a PNG file.
using PngIcons = std::vector<std::pair<int, std::string>>;

// The user's folders from the environment. A variable that is unset, empty
// or not an absolute path gives way to the default under $HOME (or the
// account's home folder).
XdgFolders UserXdgFolders();

// Writes, in this order: mime/packages/mendrix-E.xml (the type
// application/x-E-patch for "*.E"), the icons under
// icons/hicolor/<size>x<size>/apps/mendrix.png, applications/mendrix.desktop
// (opening "%f" with the program), and the type's default program in
// mimeapps.list; then updates the desktop's caches where the tools are
// installed. Repeating it rewrites the same content.
// The first failure ends it with a std::runtime_error that names the file
// or folder and the system's reason ("Can't write ~/.local/share/... (Permission
// denied)", "Can't create ...", "Can't read ..."); what was
// written before stays and the caches are not updated.
void AssociateFreedesktop(const XdgFolders& folders, const std::string& extension, const std::string& programPath,
                          const PngIcons& icons);

// The MIME type that stands for files ending in "." + extension.
std::string MimeTypeFor(const std::string& extension);

// The shared-mime-info package that defines that type, and the desktop entry
// that opens it with programPath: the files the association writes, and the
// ones installed with the program.
std::string MimePackage(const std::string& extension);
std::string DesktopEntry(const std::string& extension, const std::string& programPath);

// One argument of a desktop entry's Exec key: quoted, with the characters
// that the quoting and the key's value need escaped, and "%" doubled.
std::string DesktopExecArgument(const std::string& argument);

}  // namespace desktop
