// CMonitorWnd: construction, the start-up and shutdown sequences and the
// message table. The handlers live in the files named after their subject.
#include "monitor/CMonitorWnd.h"

#include <cstdio>

#include "keyboard/DeviceEvents.h"
#include "platform/Debug.h"
#include "settings/Language.h"

namespace kelm {

namespace {

constexpr std::uint32_t LowWord(std::uint64_t value) { return static_cast<std::uint32_t>(value & 0xFFFF); }

}  // namespace

CMonitorWnd::CMonitorWnd(MonitorPorts ports, bool openSetupOnStart)
    : ports_(std::move(ports)),
      activateMessage_(RegisterWindowMessage(kActivateWindowMessage)),
      record_(std::make_unique<SettingsRecord>()),
      view_(std::make_unique<SettingsRecord>()),
      openSetupOnStart_(openSetupOnStart),
      protocol_(ports_.device.Feature(), ports_.clock, flags_.abortRequested, *record_,
                KeyboardProtocol::Host{ports_.files, &ports_.settingsBlock, this}),
      pactRegistration_(std::string()),
      macroThread_(ports_.actions.macro),
      deviceThread_(*this, flags_) {}

CMonitorWnd::~CMonitorWnd() {
    // A window that was created is always destroyed before it is deleted;
    // this only catches a caller that forgot, so no thread outlives it.
    if (created_) Destroy();
}

SettingsRecord CMonitorWnd::RecordSnapshot() {
    const auto lock = protocol_.Lock();
    return *record_;
}

// ---- start-up ----

bool CMonitorWnd::Create() {
    // The window itself: other programs can find it from here on, and what
    // they send waits until the start-up sequence is done.
    if (!ports_.window.Listen(kMonitorTitle, [this](const WindowMessage& m) { return WindowProc(m); })) {
        DebugOutput("CMonitorApp: %s\n", "the monitor's window could not be created");
        return false;
    }
    RegisterForPact();
    RegisterSessionNotification();

    std::string error;
    if (!ports_.device.Load(&error)) {
        // Without it the keyboard never opens; the monitor still runs, so the
        // configuration program can attach and edit the settings files.
        std::fprintf(stderr, "KelmWatch: the keyboard library cannot be used: %s\n", error.c_str());
    }

    {
        const auto lock = protocol_.Lock();
        ports_.files.LoadRecord(*record_);
        DefaultOsdSetting(osd_);
        ports_.files.LoadOsdSetting(osd_);
        if (record_->QuickHelpLan == -1) record_->QuickHelpLan = DefaultLanguageIndex();
        RefreshView();
    }

    switch (ports_.settingsBlock.CreateMutex()) {
        case MutexCreation::AlreadyExisted:
            std::fprintf(stderr,
                         "KelmWatch: another program still holds the settings block's mutex; "
                         "close KelmSetup and start KelmWatch again\n");
            Unwind();
            return false;
        case MutexCreation::Failed:
        case MutexCreation::Created:
            break;
    }
    if (ports_.settingsBlock.CreateBlock()) {
        const auto lock = protocol_.Lock();
        ports_.settingsBlock.PublishRecord(*record_);
    }
    OpenPactBlocksAtStart();

    macroThread_.Start();
    deviceThread_.Start();
    created_ = true;

    const bool opened = OpenKeyboard();
    if (opened) {
        if (const auto argument = CheckFirmwareVersion()) StartFlash(*argument);
        protocol_.CheckSyncStamp();
        SetTimer(TIMER_FIRST_READ, kFirstReadDelay);
        flags_.deviceState.store(kDeviceConnected);
        UpdateTrayIcon();
        if (openSetupOnStart_) OnCustomizer();
    }
    flags_.deviceState.store(opened ? kDeviceConnected : kDeviceNeverOpened);
    PublishDeviceStatus(opened ? 1 : 0);
    WriteDeviceState(opened ? 1 : 0);
    ApplyKeyboardRate();
    StartProgram("KelmOSD");
    return true;
}

void CMonitorWnd::RegisterForPact() {
    pactRegistration_ = PactRegistration(ports_.where.SharedSettingsFolder() + kPactConfigFileName);
    pactRegistration_.Register();
}

void CMonitorWnd::RegisterSessionNotification() {
    ++sessionAttempts_;
    sessionRegistered_ =
        ports_.session.Register([this](std::uint32_t msg, std::uint32_t code) { OnPostedMessage(msg, code, 0); });
    if (!sessionRegistered_ && sessionAttempts_ < kSessionAttempts) SetTimer(TIMER_SESSION_RETRY, kSessionRetry);
}

void CMonitorWnd::OpenPactBlocksAtStart() {
    pactActive_ = ports_.pactBlocks.OpenStatus();
    if (!pactActive_) return;
    ports_.pactBlocks.ReadStatus(pactIn_);
    if (ports_.pactBlocks.OpenAmbient()) ports_.pactBlocks.ReadAmbient(ambient_);
}

// What a failed creation had started, undone in shutdown order.
void CMonitorWnd::Unwind() {
    KillTimer(TIMER_SESSION_RETRY);
    ports_.device.Free();
    if (sessionRegistered_) ports_.session.Unregister();
    sessionRegistered_ = false;
    ports_.settingsBlock.CloseMutex();
    ports_.window.Close();
}

// ---- shutdown ----

void CMonitorWnd::Destroy() {
    if (destroyed_ || !created_) return;
    destroyed_ = true;

    // A running job is stopped first: holding the keyboard for the whole of
    // a read-back would keep the keyboard from being told, and KelmFlash
    // from updating it, for as long as the read-back takes. Jobs still
    // queued are dropped.
    flags_.stopping.store(true);
    deviceThread_.AbortRunningJob();
    protocol_.SendHostState(0);

    KillTimer(TIMER_FOREGROUND);
    KillTimer(TIMER_FIRST_READ);
    KillTimer(TIMER_ARRIVAL);
    KillTimer(TIMER_SESSION_RETRY);
    KillTimer(TIMER_SHORTCUT_REPEAT);
    KillTimer(TIMER_COUNTDOWN);
    StopSoundTimers();

    ports_.windows.PostMessage(kSetupTitle, WM_CLOSE, 0, 0);
    for (const std::string_view title : {kOsdTitle, kOsdPop3Title, kOsdCpuRamTitle, kOsdSkypeTitle})
        ports_.windows.PostMessage(title, WM_CLOSE, 0, 0);

    deviceThread_.AbortRunningJob();
    deviceThread_.Stop();
    {
        // Whoever waits for a task's answer hears now that it was dropped.
        const std::lock_guard lock(tasksMutex_);
        recordTasks_.clear();
    }
    CloseKeyboard();
    ports_.device.Free();
    macroThread_.Stop();
    if (sessionRegistered_) ports_.session.Unregister();
    sessionRegistered_ = false;

    ports_.settingsBlock.CloseBlock();
    ports_.settingsBlock.CloseMutex();
    if (ports_.tray != nullptr) ports_.tray->Remove();
    ports_.pactBlocks.CloseStatus();
    ports_.pactBlocks.CloseAmbient();
    pactActive_ = false;
    PublishDeviceStatus(2);

    ports_.window.Close();
    lifetime_.reset();
    if (ports_.onDestroyed) ports_.onDestroyed();
}

// ---- the message table ----

std::int64_t CMonitorWnd::WindowProc(const WindowMessage& m) {
    if (destroyed_) return 0;
    switch (m.msg) {
        case WM_CLOSE:
            Destroy();
            return 0;
        case WM_COPYDATA:
            OnCopyData(m);
            return 1;
        case WM_DEVICECHANGE:
        case MSG_ANSWERS_TRUE_1327:
            return 1;
        case WM_WTSSESSION_CHANGE:
            OnSessionChange(m.wParam);
            return 0;
        case WM_POWERBROADCAST:
            OnPowerBroadcast(m.wParam);
            return 1;
        case MSG_TRAY_NOTIFY:
            OnSystrayNotify(static_cast<std::uint32_t>(m.lParam));
            return 0;
        case MSG_APPLY_SETTINGS:
            return OnApplySettings(m.wParam);
        case MSG_RELOAD_SETTINGS:
        case MSG_RELOAD_SETTINGS_ALSO:
            OnReloadSettings(false);
            return 0;
        case MSG_RELOAD_SETTINGS_AND_RATE:
            OnReloadSettings(true);
            return 0;
        case MSG_IGNORED_1232:
        case MSG_IGNORED_1274:
            return 0;
        case MSG_DEVICE_EVENT:
            DispatchDeviceEvent(DeviceEventFromMessage(m.wParam, m.lParam));
            return 1;
        case MSG_DEVICE_PRESENCE:
            DispatchDeviceEvent(PresenceEventFromMessage(m.wParam));
            return 1;
        case WM_COMMAND:
            OnCommand(LowWord(m.wParam));
            return 0;
        default:
            OnRegisteredMessage(m);
            return 0;
    }
}

void CMonitorWnd::OnPostedMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    WindowMessage message;
    message.msg = msg;
    message.wParam = wParam;
    message.lParam = lParam;
    WindowProc(message);
}

void CMonitorWnd::OnTimer(unsigned id) {
    if (destroyed_) return;
    switch (id) {
        case TIMER_FIRST_READ:
            KillTimer(TIMER_FIRST_READ);
            PostJob(JOB_READ_ALL);
            break;
        case TIMER_ARRIVAL:
            CompleteArrival();
            break;
        case TIMER_SESSION_RETRY:
            KillTimer(TIMER_SESSION_RETRY);
            RegisterSessionNotification();
            break;
        case TIMER_FOREGROUND:
            if (ports_.actions.foreground != nullptr) ports_.actions.foreground->FollowForegroundProgram();
            break;
        case TIMER_SHORTCUT_REPEAT:
            if (firstRepeatPending_) {
                firstRepeatPending_ = false;
                SetTimer(TIMER_SHORTCUT_REPEAT, kShortcutRepeat);
            }
            if (ports_.actions.shortcut != nullptr) ports_.actions.shortcut->TapShortcutKey(lastShortcut_);
            break;
        case TIMER_COUNTDOWN:
            if (ports_.actions.countdown != nullptr) ports_.actions.countdown->Tick(CurrentSoundVolume());
            break;
        default:
            if (id >= kFirstSoundTimer && id <= kLastSoundTimer) PlaySoundOfTimer(id);
            break;
    }
}

void CMonitorWnd::OnCommand(std::uint32_t command) {
    if (destroyed_) return;
    if (command == ID_CONFIGURATION) OnCustomizer();
    if (command == ID_EXIT) PostToWindow([this] { Destroy(); });
}

void CMonitorWnd::RefreshView() {
    const std::lock_guard lock(viewMutex_);
    *view_ = *record_;
    for (const auto& change : pendingChanges_) change(*view_);
}

void CMonitorWnd::PostToWindow(std::function<void()> task) {
    ports_.loop.Post([alive = std::weak_ptr<int>(lifetime_), task = std::move(task)] {
        if (!alive.expired()) task();
    });
}

}  // namespace kelm
