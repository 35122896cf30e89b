// A window of the program's own that shows a text document (the guide).
#pragma once

#include <string>

class QWidget;

namespace platform::qt {

// Shows the UTF-8 text file at path read-only in a modal window above
// parent, titled with the file's name, until the user closes it. Answers
// an empty text then, or at once the system's reason why the file cannot
// be read (a missing file, a folder, no permission); nothing is shown then.
std::string ShowTextDocument(const std::string& path, QWidget* parent);

}  // namespace platform::qt
