// Where KelmFlash lives and what it hands over to and back from KelmWatch:
// its folders, closing the monitor before an update and starting it again
// after a successful one.
#pragma once

#include <functional>
#include <string>

#include "platform/ProcessLauncher.h"

namespace kelm {

struct FlashFolders {
    std::string program;       // FlashPack/, with a trailing '/'
    std::string installation;  // the folder above it, with a trailing '/'

    // $KELM_HOME/FlashPack/ when KELM_HOME is set (it names the
    // installation, as for every program of the suite), else the folder of
    // the running executable.
    static FlashFolders FromEnvironment();
    // The folders of a FlashPack folder.
    static FlashFolders ForProgramFolder(std::string program);
};

// How long KelmWatch may take to close before the update gives up.
inline constexpr int kMonitorCloseWaitMs = 20000;
inline constexpr int kMonitorPollMs = 100;

// True when KelmWatch runs: its window answers, or its instance mutex is
// held (a monitor that is starting or ending has no window).
bool MonitorRunning();

enum class MonitorClose { Gone, StillThere, Stopped };

// Posts WM_CLOSE to KelmWatch's window, which runs its whole shutdown and
// ends with the keyboard closed, and waits until its window and its
// instance mutex are both gone, at most kMonitorCloseWaitMs. waitStep(ms)
// waits between two looks and answers true when the wait is to be given up
// (Stopped).
MonitorClose CloseMonitor(const std::function<bool(int ms)>& waitStep);

// Starts the installation's KelmWatch; false when it cannot be started.
bool StartMonitorAgain(ProcessLauncher& launcher, const FlashFolders& folders);

}  // namespace kelm
