#include "setup/SetupController.h"

#include "suite/SuiteIds.h"

namespace kelm {

void SetupController::Start() {
    const SetupSession::StartResult started = session_.Start();
    view_.Relabel();
    view_.RefreshAll();
    view_.RefreshFirmwareText();
    if (started == SetupSession::StartResult::BlockUnmappable) view_.ShowNotice(ISetupView::Notice::BlockUnmappable);
}

std::int64_t SetupController::WindowProc(const WindowMessage& message) {
    static const std::uint32_t activate = RegisterWindowMessage(kActivateWindowMessage);
    switch (message.msg) {
        case MSG_SETUP_RELOAD:
            session_.Reload();
            view_.RefreshFirmwareText();
            view_.RefreshAll();
            return 0;
        case MSG_SETUP_PROFILE_CHANGED:
            if (session_.TakeProfileChange()) view_.RefreshAll();
            return 0;
        case MSG_SETUP_BRIGHTNESS_CHANGED:
            if (session_.TakeBrightnessChange()) view_.RefreshAll();
            return 0;
        case WM_CLOSE:
            view_.Close();
            return 0;
        default:
            if (message.msg == activate) view_.Raise();
            return 0;
    }
}

void SetupController::OnSlot(int slot) {
    session_.SelectSlot(slot);
    view_.RefreshAll();
}

void SetupController::OnWindowsProfileMarker(int slot) {
    if (!session_.ClearWindowsProfileIfMarked(slot) && view_.ConfirmWindowsProfile(slot))
        session_.SetWindowsProfile(slot);
    view_.RefreshAll();
}

void SetupController::OnLanguage(int languageIndex) {
    if (!session_.SetLanguage(languageIndex)) return;
    view_.Relabel();
    view_.RefreshAll();
}

void SetupController::OnProfileFieldsChanged() { view_.RefreshAll(); }

void SetupController::OnReset() {
    session_.Reset();
    view_.Relabel();
    view_.RefreshAll();
    Apply(1, false);
}

void SetupController::Apply(int mode, bool closeAfter) {
    if (applying_) return;
    applying_ = true;
    view_.SetBusy(true);
    const bool saved = session_.BeginApply();
    view_.RefreshAll();
    if (!saved) view_.ShowNotice(ISetupView::Notice::FilesNotSaved);
    if (!session_.HasMonitorBlock()) {
        Finish(std::nullopt, closeAfter);
        return;
    }
    runner_.Run(mode, [this, closeAfter](std::optional<std::int64_t> answer) { Finish(answer, closeAfter); });
}

void SetupController::Finish(std::optional<std::int64_t> answer, bool closeAfter) {
    const SetupSession::ApplyOutcome outcome = session_.FinishApply(answer);
    applying_ = false;
    view_.SetBusy(false);
    if (outcome == SetupSession::ApplyOutcome::NoMonitor) view_.ShowNotice(ISetupView::Notice::SavedWithoutMonitor);
    if (outcome == SetupSession::ApplyOutcome::KeyboardMissedIt) view_.ShowNotice(ISetupView::Notice::KeyboardMissedIt);
    if (closeAfter) view_.Close();
}

}  // namespace kelm
