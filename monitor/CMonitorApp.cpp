#include "monitor/CMonitorApp.h"

#include "monitor/MonitorIds.h"

namespace kelm {

bool CMonitorApp::OpenSetupRequested(int argc, const char* const* argv) {
    // The arguments are the command line; only its first character counts.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '\0') return argv[i][0] == '1';
    }
    return false;
}

CMonitorApp::Instance CMonitorApp::InitInstance(bool openSetupOnStart, IWindowDirectory& windows) {
    NamedMutex mutex = NamedMutex::Create(kInstanceMutexName);
    if (!mutex) return Instance::Failed;
    if (mutex.AlreadyExisted()) {
        if (openSetupOnStart) windows.PostMessage(kMonitorTitle, WM_COMMAND, ID_CONFIGURATION, 0);
        return Instance::Running;
    }
    instance_ = std::move(mutex);
    return Instance::First;
}

}  // namespace kelm
