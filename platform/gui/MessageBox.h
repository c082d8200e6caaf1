// The few message boxes of the programs ("Could not map view of file."): a
// modal box with an OK button where a person can see it, else one line on
// standard error, so a headless program still says what went wrong.
#pragma once

#include <string>

namespace kelm {

// Returns when the box is closed. Off the GUI thread, or without a display
// (HasDisplay), the text goes to standard error as "<program>: <text>".
void ShowMessageBox(const std::string& text);

}  // namespace kelm
