// mendrix-desktop-files FOLDER PROGRAM: writes FOLDER/mendrix.desktop and
// FOLDER/mendrix-kdx.xml for the program installed at PROGRAM, in the words
// the file-type association writes for a user, so the two never differ.
// Exit status 0 when both are written, 1 when one could not be, 2 on wrong usage.
#include "desktop/FreedesktopAssociation.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool Write(const std::filesystem::path& file, const std::string& content)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (out) return true;
    std::fprintf(stderr, "mendrix-desktop-files: cannot write %s\n", file.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: mendrix-desktop-files FOLDER PROGRAM\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::string extension = "kdx";
    const bool written = Write(folder / "mendrix.desktop", desktop::DesktopEntry(extension, argv[2])) &&
                         Write(folder / ("mendrix-" + extension + ".xml"), desktop::MimePackage(extension));
    return written ? 0 : 1;
}
