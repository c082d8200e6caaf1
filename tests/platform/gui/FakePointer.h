// Mouse clicks as the X server takes them from a person (XTest), aimed at
// a point of a window whatever window it has been put into.
#pragma once

#include <string>

namespace kelm::test {

// True when window is mapped and all its ancestors are: the server shows
// it and sends it the pointer's events.
bool WindowViewable(const std::string& display, unsigned long window);

// Moves the pointer of display to (x, y) of window and clicks button
// (1 left, 3 right) times in a row. False when the display or window
// cannot be reached or has no XTest.
bool ClickInWindow(const std::string& display, unsigned long window, int x, int y, int button, int times);

}  // namespace kelm::test
