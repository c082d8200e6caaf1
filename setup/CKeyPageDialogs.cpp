#include "setup/CKeyPageDialogs.h"

#include "setup/CMacroManagerDlg.h"
#include "setup/CQuickLaunchDlg.h"
#include "setup/CShortcutDlg.h"
#include "setup/CTimerDlg.h"

namespace kelm {

std::optional<ShortcutChoice> CKeyPageDialogs::AskShortcut(const ShortcutChoice& current) {
    return CShortcutDlg::Run(programFolder_, texts_, current, parent_);
}

std::optional<std::string> CKeyPageDialogs::AskQuickLaunchPath(const std::string& current) {
    return CQuickLaunchDlg::Run(programFolder_, texts_, current, parent_);
}

std::optional<TimerRecord> CKeyPageDialogs::AskNewTimer(const TimerList& timers) {
    return CTimerDlg::Create(programFolder_, texts_, timers, parent_);
}

bool CKeyPageDialogs::EditTimers(TimerList& timers) { return CTimerDlg::Edit(programFolder_, texts_, timers, parent_); }

std::optional<MacroLibrary> CKeyPageDialogs::RunMacroManager(const MacroLibrary& library, int startSet,
                                                             const MacroKeyInfo& entry) {
    return CMacroManagerDlg::Run(programFolder_, texts_, library, startSet, entry, parent_);
}

}  // namespace kelm
