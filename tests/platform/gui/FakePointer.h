// Mouse clicks as the X server takes them from a person (XTest), aimed at
// a point of a window whatever window it has been put into; a window of
// another program to cover others with; and what the server shows of
// windows, as a person sees it.
#pragma once

#include <string>

struct _XDisplay;  // Xlib's Display

namespace kelm::test {

// True when window is viewable (mapped, and all its ancestors are: the
// server shows it and sends it the pointer's events) inside another
// program's window, as a notification area takes an icon in; not a window
// of its own on the root.
bool WindowDocked(const std::string& display, unsigned long window);

// True when upper and lower are both windows of their own on the root (no
// window manager frames them) and upper is stacked above lower.
bool StackedAbove(const std::string& display, unsigned long upper, unsigned long lower);

// A window of another program (a connection of its own), mapped over a
// rectangle in front of every other window and given the keyboard focus.
class OtherProgramWindow {
public:
    // Nothing is shown when display cannot be reached (Id 0).
    OtherProgramWindow(const std::string& display, int x, int y, int width, int height);
    ~OtherProgramWindow();
    OtherProgramWindow(const OtherProgramWindow&) = delete;
    OtherProgramWindow& operator=(const OtherProgramWindow&) = delete;
    unsigned long Id() const { return window_; }

private:
    _XDisplay* connection_ = nullptr;
    unsigned long window_ = 0;
};

// The window that has the keyboard focus, or 0.
unsigned long FocusedWindow(const std::string& display);

// Moves the pointer of display to (x, y) of window and clicks button
// (1 left, 3 right) times in a row. False when the display or window
// cannot be reached or has no XTest.
bool ClickInWindow(const std::string& display, unsigned long window, int x, int y, int button, int times);

}  // namespace kelm::test
