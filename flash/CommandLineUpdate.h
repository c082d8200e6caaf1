// KelmFlash without a window (--no-gui), for scripts and tests: the update
// window's sequence with text lines in place of the dialogs and the bar.
//
//   read FlashPack/config.ini and load the image ──fails──► exit 1, nothing touched
//   close KelmWatch and wait until it is gone ──still there──► exit 1, nothing sent
//   load devbridge, open the keyboard ──fails──► exit 1, nothing sent
//   one update pass: "block N/COUNT" per block, then its outcome
//   release devbridge; after success only, start KelmWatch again
//
// Unlike the window, which closes KelmWatch first, the image is checked
// before KelmWatch is closed, so a package without a usable image leaves the
// monitor running.
#pragma once

#include <signal.h>

#include <iosfwd>

#include "flash/FlashFolders.h"

namespace kelm {

// Runs one pass; 0 only when the update succeeded. stopSignals are blocked
// in every thread: before the pass one of them ends the run with nothing
// sent, during it the pass is let run to its end.
int RunCommandLineUpdate(const FlashFolders& folders, const sigset_t& stopSignals, std::ostream& out,
                         std::ostream& err);

}  // namespace kelm
