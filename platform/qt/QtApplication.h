// The program-wide set-up of the Qt backend.
#pragma once

#include <span>
#include <utility>
#include <vector>

class QWidget;

namespace platform::qt {

// Before the QApplication exists: the windows follow the desktop's display
// scale (or QT_SCALE_FACTOR) exactly, the designs' pixels times the scale.
void PrepareEnvironment();

// After it exists: the program's name and title, the substitutes for the
// designs' fonts where those are missing, and the windows' icon from PNGs.
void SetUpApplication(const char* title, const std::vector<std::span<const unsigned char>>& iconPngs);


// Gives a top-level window the program's title as its icon text.
void ShowTitleOn(QWidget* window);

}  // namespace platform::qt
