// CMonitorWnd: opening and closing the keyboard, its arrival and removal,
// console session changes, suspend and resume, and the jobs of
// DeviceWorkerThread.
#include <future>

#include "keyboard/ReportChannel.h"
#include "monitor/CMonitorWnd.h"
#include "monitor/FirmwareCheck.h"

namespace kelm {

bool CMonitorWnd::OpenKeyboard() {
    ports_.device.OpenDevMonitor([this](std::uint32_t msg, std::uintptr_t wParam,
                                        std::intptr_t lParam) { OnPostedMessage(msg, wParam, lParam); },
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
    CheckConnectedKeyboard();
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
    if (code == WTS_CONSOLE_CONNECT) HoldKeyboardWhile(true, awake_);
    if (code == WTS_CONSOLE_DISCONNECT) HoldKeyboardWhile(false, awake_);
}

void CMonitorWnd::OnPowerBroadcast(std::uint64_t code) {
    if (code == PBT_APMSUSPEND) HoldKeyboardWhile(consoleActive_, false);
    if (code == PBT_APMRESUMEAUTOMATIC) HoldKeyboardWhile(consoleActive_, true);
}

// The state machine of the header's drawing.
void CMonitorWnd::HoldKeyboardWhile(bool consoleActive, bool awake) {
    const bool held = consoleActive_ && awake_;
    consoleActive_ = consoleActive;
    awake_ = awake;
    const bool hold = consoleActive_ && awake_;
    if (hold && !held) ConnectKeyboard();
    if (held && !hold) ReleaseKeyboard();
}

void CMonitorWnd::ConnectKeyboard() {
    if (arrivalPending_) SetTimer(TIMER_ARRIVAL, kArrivalWait);
    if (!OpenKeyboard()) return;
    CheckConnectedKeyboard();
    PostJob(JOB_READ_ALL);
    UpdateTrayIcon();
    WriteDeviceState(1);
}

void CMonitorWnd::ReleaseKeyboard() {
    ReleaseHeldInput();
    // The opening reads the keyboard back.
    KillTimer(TIMER_FIRST_READ);
    KillTimer(TIMER_FOREGROUND);
    KillTimer(TIMER_ARRIVAL);
    WriteDeviceState(0);
    // The window waits here for one abort step of the running job at most.
    deviceThread_.AbortRunningJob();
    const auto lock = protocol_.Lock();
    CloseKeyboard();
}

// The keyboard's releases will not come: what their presses hold is let go
// now, most recent macro key first as an aborted macro does.
void CMonitorWnd::ReleaseHeldInput() {
    macroThread_.AbortPlayback();
    KillTimer(TIMER_SHORTCUT_REPEAT);
    if (ports_.actions.shortcut != nullptr)
        for (const auto& [key, word] : heldShortcuts_) ports_.actions.shortcut->ReleaseShortcut(word);
    heldShortcuts_.clear();
}

// On the worker, before the read-back that follows a connection: the
// window only hears what comes of it.
void CMonitorWnd::CheckConnectedKeyboard() {
    PostRecordTask([this] {
        if (flags_.deviceState.load() != kDeviceConnected) return;
        if (const auto argument = CheckFirmwareVersion())
            PostToWindow([this, argument = *argument] { StartFlash(argument); });
        protocol_.CheckSyncStamp();
    });
}

// Reads the keyboard: on the window's thread only while the window is being
// created, and on the worker after. The argument for KelmFlash when the
// keyboard's firmware is not the package's.
std::optional<int> CMonitorWnd::CheckFirmwareVersion() {
    std::optional<std::uint8_t> version;
    {
        const auto lock = protocol_.Lock();
        ReportChannel channel(ports_.device.Feature(), ports_.clock, flags_.abortRequested);
        ReportBytes answer;
        if (channel.Read(ReportId::FirmwareReport, answer)) version = ParseFirmwareReport(answer);
        if (version) ports_.files.StoreFirmwareVersion(*version);
    }
    if (!version) return std::nullopt;
    // Without a package there is nothing to update to: KelmFlash would only
    // offer an update it cannot make, and closing it closes the monitor.
    const std::optional<std::uint32_t> package = ports_.files.PackageFirmwareVersion();
    if (!package) return std::nullopt;
    return FirmwareUpdateArgument(*version, *package);
}

void CMonitorWnd::StartFlash(int argument) {
    // KelmFlash takes the keyboard over; the configuration program is not
    // opened behind it.
    openSetupOnStart_ = false;
    StartProgram("FlashPack/KelmFlash", {std::to_string(argument)});
}

// A job asked for while the keyboard is away is dropped then, not when the
// worker comes to it, by which time the keyboard may be back.
void CMonitorWnd::PostJob(int job, std::intptr_t argument) {
    if (flags_.deviceState.load() == kDeviceConnected) deviceThread_.PostJob(job, argument);
}

void CMonitorWnd::WriteDeviceState(int device) { ports_.files.WriteDeviceState(device); }

// ---- jobs and record tasks, on DeviceWorkerThread ----

void CMonitorWnd::PostRecordTask(std::function<void()> task) {
    {
        const std::lock_guard lock(tasksMutex_);
        recordTasks_.push_back(std::move(task));
    }
    if (deviceThread_.PostJob(JOB_RECORD_TASK, 0)) return;
    // Nobody will run it: dropping it answers whoever waits for it.
    std::function<void()> dropped;
    const std::lock_guard lock(tasksMutex_);
    dropped = std::move(recordTasks_.back());
    recordTasks_.pop_back();
}

void CMonitorWnd::WaitForWorker() {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    PostRecordTask([done] { done->set_value(); });
    finished.wait();
}

void CMonitorWnd::RunRecordTask() {
    std::function<void()> task;
    {
        const std::lock_guard lock(tasksMutex_);
        if (recordTasks_.empty()) return;
        task = std::move(recordTasks_.front());
        recordTasks_.pop_front();
    }
    task();
}

void CMonitorWnd::ReadAll() {
    // One hold of the lock for both steps, and no 1 once the shutdown has
    // begun: the keyboard's last host state must be the shutdown's 0.
    const auto lock = protocol_.Lock();
    protocol_.ReadAllFromKeyboard();
    KeyboardStateChanged();
    RefreshView();
    if (!flags_.stopping.load()) protocol_.SendHostState(1);
}

void CMonitorWnd::SendProfile() { protocol_.SendCurrentProfile(); }

void CMonitorWnd::MacroRecordStage(std::uint16_t eventData) {
    MacroRecordFeedback feedback;
    {
        const auto lock = protocol_.Lock();
        feedback = protocol_.HandleMacroRecordStage(eventData);
        KeyboardStateChanged();
        RefreshView();
    }
    if (feedback != MacroRecordFeedback::None) PostToWindow([this, feedback] { StartMacroRecordSound(feedback); });
}

void CMonitorWnd::PostSetupReload() { ports_.windows.PostMessage(kSetupTitle, MSG_SETUP_RELOAD, 0, 0); }

}  // namespace kelm
