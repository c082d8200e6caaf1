#include "monitor/CMonitorApp.h"

#include "monitor/MonitorIds.h"

namespace kelm {

bool CMonitorApp::OpenSetupRequested(int argc, const char* const* argv) {
    // Only the first character of the command line counts: that of the
    // first argument, so an empty first argument is no "1".
    return argc > 1 && argv[1][0] == '1';
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
