// The few message boxes of the programs ("Could not map view of file."): a
// box with an OK button where a person can see it, else one line on
// standard error, so a headless program still says what went wrong.
#pragma once

#include <string>

namespace kelm {

// Returns when the box is closed. Off the GUI thread, or without a display
// (HasDisplay), the text goes to standard error as "<program>: <text>".
// The box leaves the program's other windows usable: for a program whose
// only window is its tray icon, a click on the icon is how the box is found
// again once other windows have covered it (RaiseMessageBox).
void ShowMessageBox(const std::string& text);

// Brings the box ShowMessageBox has open (the latest, when boxes are
// nested) to the front: restored if minimized, raised and activated. False
// when no box is open.
bool RaiseMessageBox();

}  // namespace kelm
