// CMonitorWnd: opening and closing the keyboard, its arrival and removal,
// console session changes, and the jobs of DeviceWorkerThread.
#include "monitor/CMonitorWnd.h"
#include "monitor/FirmwareCheck.h"
#include "keyboard/ReportChannel.h"

namespace kelm {

bool CMonitorWnd::OpenKeyboard() {
    ports_.device.OpenDevMonitor([this](std::uint32_t msg, std::uintptr_t wParam,
                                        std::intptr_t lParam) { OnDeviceMessage(msg, wParam, lParam); },
                                 MSG_DEVICE_EVENT, MSG_DEVICE_PRESENCE);
    const bool opened = ports_.device.OpenFeatureDevice();
    if (opened) SetTimer(TIMER_FOREGROUND, kForegroundPeriod);
    return opened;
}

void CMonitorWnd::CloseKeyboard() {
    ports_.device.CloseDevMonitor();
    ports_.device.CloseFeatureDevice();
}

void CMonitorWnd::BeginArrival() {
    if (flags_.deviceState.load() == kDeviceConnected || arrivalPending_) return;
    arrivalPending_ = true;
    SetTimer(TIMER_ARRIVAL, kArrivalWait);
}

void CMonitorWnd::CompleteArrival() {
    KillTimer(TIMER_ARRIVAL);
    if (!arrivalPending_) return;
    arrivalPending_ = false;
    flags_.deviceState.store(kDeviceConnected);
    PublishDeviceStatus(1);
    ports_.device.OpenFeatureDevice();
    CheckFirmwareVersion();
    protocol_.CheckSyncStamp();
    PostJob(JOB_READ_ALL);
    UpdateTrayIcon();
    WriteDeviceState(1);
    SetTimer(TIMER_FOREGROUND, kForegroundPeriod);
}

void CMonitorWnd::Removal() {
    // A keyboard that leaves again within the arrival's wait never counted
    // as arrived.
    if (arrivalPending_) {
        arrivalPending_ = false;
        KillTimer(TIMER_ARRIVAL);
    }
    if (flags_.deviceState.load() == kDeviceRemoved) return;
    flags_.deviceState.store(kDeviceRemoved);
    PublishDeviceStatus(2);
    ports_.device.CloseFeatureDevice();
    deviceThread_.AbortRunningJob();
    UpdateTrayIcon();
    KillTimer(TIMER_FOREGROUND);
    WriteDeviceState(0);
    ports_.windows.PostMessage(kSetupTitle, WM_CLOSE, 0, 0);
}

void CMonitorWnd::OnSessionChange(std::uint64_t code) {
    if (code == WTS_CONSOLE_CONNECT) {
        if (!OpenKeyboard()) return;
        CheckFirmwareVersion();
        protocol_.CheckSyncStamp();
        PostJob(JOB_READ_ALL);
        UpdateTrayIcon();
        WriteDeviceState(1);
    } else if (code == WTS_CONSOLE_DISCONNECT) {
        WriteDeviceState(0);
        CloseKeyboard();
    }
}

void CMonitorWnd::CheckFirmwareVersion() {
    std::optional<std::uint8_t> version;
    {
        const auto lock = protocol_.Lock();
        ReportChannel channel(ports_.device.Feature(), ports_.clock, flags_.abortRequested);
        ReportBytes answer;
        if (channel.Read(ReportId::FirmwareReport, answer)) version = ParseFirmwareReport(answer);
        if (version) ports_.files.StoreFirmwareVersion(*version);
    }
    if (!version) return;
    const auto argument = FirmwareUpdateArgument(*version, ports_.files.PackageFirmwareVersion());
    if (!argument) return;
    // KelmFlash takes the keyboard over; the configuration program is not
    // opened behind it.
    openSetupOnStart_ = false;
    StartProgram("FlashPack/KelmFlash", {std::to_string(*argument)});
}

// A job asked for while the keyboard is away is dropped then, not when the
// worker comes to it, by which time the keyboard may be back.
void CMonitorWnd::PostJob(int job, std::intptr_t argument) {
    if (flags_.deviceState.load() == kDeviceConnected) deviceThread_.PostJob(job, argument);
}

void CMonitorWnd::WriteDeviceState(int device) {
    // The worker saves the same file; the lock keeps the two from
    // overwriting each other's changes.
    const auto lock = protocol_.Lock();
    ports_.files.WriteDeviceState(device);
}

// ---- jobs, on DeviceWorkerThread ----

void CMonitorWnd::ReadAll() {
    // One hold of the lock for both steps, and no 1 once the shutdown has
    // begun: the keyboard's last host state must be the shutdown's 0.
    const auto lock = protocol_.Lock();
    protocol_.ReadAllFromKeyboard();
    RefreshView();
    if (!flags_.stopping.load()) protocol_.SendHostState(1);
}

void CMonitorWnd::SendProfile() { protocol_.SendCurrentProfile(); }

void CMonitorWnd::MacroRecordStage(std::uint16_t eventData) {
    MacroRecordFeedback feedback;
    {
        const auto lock = protocol_.Lock();
        feedback = protocol_.HandleMacroRecordStage(eventData);
        RefreshView();
    }
    if (feedback != MacroRecordFeedback::None) PostToWindow([this, feedback] { StartMacroRecordSound(feedback); });
}

void CMonitorWnd::PostSetupReload() { ports_.windows.PostMessage(kSetupTitle, MSG_SETUP_RELOAD, 0, 0); }

}  // namespace kelm
