// CMonitorWnd: profile changes the host makes (the foreground-program rule).
#include "monitor/CMonitorWnd.h"

namespace kelm {

// As a change made on the keyboard, the view has it at once and the record
// when the worker comes to it; the job that tells the keyboard follows that
// record task on the same worker, so it sends the new slot, and an apply
// copied before it keeps the slot unless it asks for another.
void CMonitorWnd::SwitchProfile(int slot) {
    if (!IsValidSlot(slot)) return;
    ResetPactStatus();
    TakeKeyboardChange([slot](SettingsRecord& record) { record.CurrentProfile = slot; });
    ReadView([this](const SettingsRecord& view) {
        ports_.settingsBlock.PublishRecord(view);
        return 0;
    });
    PostJob(JOB_SEND_PROFILE);
    ReadView([this, slot](const SettingsRecord& view) {
        ports_.files.WriteRepeatToRegistry(view.Profiles[slot]);
        return 0;
    });
    ApplyKeyboardRate();
    ports_.windows.PostMessage(kSetupTitle, MSG_SETUP_PROFILE_CHANGED, 0, 0);
}

void CMonitorWnd::ReadSettings(const std::function<void(const SettingsRecord&)>& read) {
    ReadView([&read](const SettingsRecord& view) {
        read(view);
        return 0;
    });
}

bool CMonitorWnd::SetupWindowOpen() { return ports_.windows.FindWindow(kSetupTitle); }

void CMonitorWnd::AnnounceProfileChange(unsigned soundTimer) {
    if (!IsFinalPhase()) StartSoundTimer(soundTimer);
}

}  // namespace kelm
