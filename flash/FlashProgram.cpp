#include "flash/FlashProgram.h"

#include "flash/CFlashDlg.h"
#include "flash/CFlashWnd.h"
#include "flash/FlashFlow.h"
#include "platform/WindowClient.h"
#include "suite/SuiteIds.h"

namespace kelm {

int RunFlashWindows(std::string_view argument, const FlashFolders& folders, ProcessLauncher& launcher,
                    const bool* stopped) {
    const StartFlow flow = FlowForArgument(argument);
    bool accepted = true;
    if (flow != StartFlow::Window) {
        accepted = CFlashDlg::Ask(folders.program,
                                  flow == StartFlow::Confirm ? CFlashDlg::Kind::Confirm : CFlashDlg::Kind::Notice);
    }
    if (stopped != nullptr && *stopped) return 1;
    if (!OpensWindowAfter(flow, accepted)) {
        // KelmWatch started this to offer the update and ends with it either
        // way; the user starts it again when the keyboard is wanted.
        if (FindWindow(kMonitorTitle)) PostMessage(kMonitorTitle, WM_CLOSE, 0, 0);
        return 0;
    }
    CFlashWnd window(folders, launcher);
    return window.Run() ? 0 : 1;
}

}  // namespace kelm
