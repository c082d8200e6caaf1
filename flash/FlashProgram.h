// KelmFlash with its windows: the opening dialog that the command line
// chooses, then the update window, on a QApplication that already runs.
#pragma once

#include <string_view>

#include "flash/FlashFolders.h"

namespace kelm {

class ProcessLauncher;

// 0 when the program ended as asked (an update that succeeded, or the user's
// answer to the opening dialog), 1 when an update failed or never ran.
// stopped, when given, tells whether a dialog's loop was ended by a stop
// from outside rather than by the user, whose answer it then is not.
int RunFlashWindows(std::string_view argument, const FlashFolders& folders, ProcessLauncher& launcher,
                    const bool* stopped = nullptr);

}  // namespace kelm
