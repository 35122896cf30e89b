#include "desktop/FreedesktopAssociation.h"

#include "desktop/DesktopFiles.h"
#include "desktop/MimeAppsList.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace desktop {

namespace fs = std::filesystem;

namespace {

const char* const kDesktopId = "mendrix.desktop";
const char* const kIconName = "mendrix";

fs::path HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    if (const passwd* account = getpwuid(getuid()); account != nullptr && account->pw_dir != nullptr)
        return account->pw_dir;
    throw std::runtime_error("Can't find the home folder (neither $HOME nor the account names one)");
}

// A path as the user knows it: the home folder as "~".
std::string Shown(const fs::path& path)
{
    const char* home = std::getenv("HOME");
    std::string text = path.string();
    if (home == nullptr || home[0] != '/') return text;
    const std::string prefix = fs::path(home).lexically_normal().string();
    if (text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0 && text[prefix.size()] == '/')
        return "~" + text.substr(prefix.size());
    return text;
}

[[noreturn]] void Refuse(const char* what, const fs::path& path, int error)
{
    throw std::runtime_error(std::string(what) + " " + Shown(path) + " (" + std::strerror(error) + ")");
}

fs::path XdgFolder(const char* variable, const char* underHome)
{
    const char* value = std::getenv(variable);
    // Relative values are invalid and ignored, as the base-directory rules say.
    if (value != nullptr && value[0] == '/') return value;
    return HomeFolder() / underHome;
}

void RequireFolder(const fs::path& folder)
{
    if (const int error = MakeFolder(folder); error != 0) Refuse("Can't create", folder, error);
}

void RequireWritten(const fs::path& file, const std::string& content)
{
    if (const int error = ReplaceFile(file, content); error != 0) Refuse("Can't write", file, error);
}

// Extensions become file names, globs and type names: only plain characters pass.
void CheckExtension(const std::string& extension)
{
    const bool plain = !extension.empty() && extension.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                                         "0123456789_-") == std::string::npos;
    if (!plain) throw std::invalid_argument("Unsupported file extension '" + extension + "'");
}

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string MimePackage(const std::string& extension)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" + MimeTypeFor(extension) + "\">\n"
           "    <comment>" + Upper(extension) + " patch</comment>\n"
           "    <icon name=\"" + kIconName + "\"/>\n"
           "    <glob pattern=\"*." + Lower(extension) + "\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string DesktopEntry(const std::string& extension, const std::string& programPath)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=MENDRIX\n"
           "Comment=Write KDX patches into CD image files\n"
           "Exec=" + DesktopExecArgument(programPath) + " %f\n"
           "Icon=" + kIconName + "\n"
           "MimeType=" + MimeTypeFor(extension) + ";\n"
           "Terminal=false\n"
           "Categories=Utility;\n";
}

XdgFolders UserXdgFolders()
{
    return {XdgFolder("XDG_DATA_HOME", ".local/share"), XdgFolder("XDG_CONFIG_HOME", ".config")};
}

std::string MimeTypeFor(const std::string& extension) { return "application/x-" + Lower(extension) + "-patch"; }

std::string DesktopExecArgument(const std::string& argument)
{
    // Inside the quotes: ", `, $ and \ take a backslash; % is a field code unless doubled.
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    quoted += '"';
    // Then the escapes of every string value in the file.
    std::string value;
    for (const char c : quoted) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

void AssociateFreedesktop(const XdgFolders& folders, const std::string& extension, const std::string& programPath,
                          const PngIcons& icons)
{
    CheckExtension(extension);
    const fs::path mime = folders.dataHome / "mime";
    const fs::path packages = mime / "packages";
    RequireFolder(packages);
    RequireWritten(packages / ("mendrix-" + Lower(extension) + ".xml"), MimePackage(extension));

    for (const auto& [size, png] : icons) {
        if (size <= 0) continue;
        const std::string dimension = std::to_string(size) + "x" + std::to_string(size);
        const fs::path apps = folders.dataHome / "icons" / "hicolor" / dimension / "apps";
        RequireFolder(apps);
        RequireWritten(apps / (std::string(kIconName) + ".png"), png);
    }

    const fs::path applications = folders.dataHome / "applications";
    RequireFolder(applications);
    RequireWritten(applications / kDesktopId, DesktopEntry(extension, programPath));

    RequireFolder(folders.configHome);
    const fs::path list = folders.configHome / "mimeapps.list";
    errno = 0;
    const std::optional<std::string> before = ReadTextFile(list);
    // A list that cannot be read is never replaced: its entries would be lost.
    if (!before) {
        std::error_code ec;
        Refuse("Can't read", list, fs::is_directory(list, ec) ? EISDIR : errno != 0 ? errno : EIO);
    }
    RequireWritten(list, WithDefaultApplication(*before, MimeTypeFor(extension), kDesktopId));

    // The desktop's counterpart of telling the shell: rebuild the caches that
    // programs read. Without the tools the files alone still take effect at the next scan.
    RunQuietly("update-mime-database", {mime.string()});
    RunQuietly("update-desktop-database", {applications.string()});
}

}  // namespace desktop
