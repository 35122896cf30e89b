// The program's guide, the document the About window's label opens. It is
// found at run time from the program's own folder, where the package, the
// installer or the zip put it.
#pragma once

#include <string>

namespace ui {

// The guide of the program file at exePath: on Windows README.txt beside
// the program; elsewhere share/doc/mendrix/README.md of the prefix the
// program is installed in, or the source tree's README.md for a program
// run from the build tree. Nothing is checked on disk but the build tree.
std::string GuidePath(const std::string& exePath);

// The path of relative ("../" climbs a folder) from the folder of file.
std::string Beside(const std::string& file, const std::string& relative);

// What the label shows of a guide: its file's name.
std::string GuideCaption(const std::string& path);

}  // namespace ui
