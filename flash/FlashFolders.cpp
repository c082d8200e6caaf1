#include "flash/FlashFolders.h"

#include "platform/Environment.h"
#include "platform/NamedMutex.h"
#include "platform/WindowClient.h"
#include "settings/StoreLocation.h"
#include "suite/SuiteIds.h"

namespace kelm {

FlashFolders FlashFolders::ForProgramFolder(std::string program) {
    std::string parent = program;
    while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
    const std::size_t slash = parent.rfind('/');
    parent = slash == std::string::npos ? std::string("./") : parent.substr(0, slash + 1);
    return {std::move(program), std::move(parent)};
}

FlashFolders FlashFolders::FromEnvironment() {
    const std::string home = EnvOr("KELM_HOME");
    return ForProgramFolder(home.empty() ? ExecutableFolder() : WithTrailingSlash(home) + "FlashPack/");
}

bool MonitorRunning() { return FindWindow(kMonitorTitle) || static_cast<bool>(NamedMutex::Open(kInstanceMutexName)); }

MonitorClose CloseMonitor(const std::function<bool(int ms)>& waitStep) {
    if (FindWindow(kMonitorTitle)) PostMessage(kMonitorTitle, WM_CLOSE, 0, 0);
    for (int waited = 0; waited < kMonitorCloseWaitMs; waited += kMonitorPollMs) {
        if (!MonitorRunning()) return MonitorClose::Gone;
        if (waitStep(kMonitorPollMs)) return MonitorClose::Stopped;
    }
    return MonitorRunning() ? MonitorClose::StillThere : MonitorClose::Gone;
}

bool StartMonitorAgain(ProcessLauncher& launcher, const FlashFolders& folders) {
    return launcher.StartProgram(folders.installation + "KelmWatch", {});
}

}  // namespace kelm
