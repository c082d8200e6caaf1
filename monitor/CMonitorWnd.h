// KelmWatch's main window: never shown, found by the other programs under
// "VELDAN Kelm Keyboard Monitor". Everything the monitor does starts from
// its messages: creation runs the start-up sequence, the keyboard library
// posts events and presence changes to it, the other programs send it
// requests, its timers drive periodic work, and closing it runs the
// shutdown sequence.
//
// Threads: every member function runs on the window's thread, except the
// device jobs and record tasks (DeviceWorkerThread). The window's thread
// never waits on the keyboard: everything that talks to the keyboard or
// changes the working record is a job or a record task, done by the worker
// in the order it was asked for, under the keyboard protocol's lock, which
// a sequence holds from start to end; a job that must stop is told through
// the abort flag, which ends it within 100 ms. What only reads the record
// (a key press, a sound, the key repeat) reads a copy of it instead, taken
// each time the record changes, so a key works at once even while a
// read-back of many seconds holds the record.
//
// Settings handed over through the shared block (apply, reload) are copied
// out of the block when the message arrives, so what KelmSetup wrote is
// what is taken over, whatever runs before the task. The task takes the
// copy over whole, unless the keyboard's own state was read back or changed
// since the copy: then what the keyboard holds is kept wherever the copy's
// change flags do not ask for a change. The sender of an apply waits for
// its answer (a deferred reply) while the window goes on with other
// messages; the answer is 1 when the keyboard took every flagged change.
//
// Keyboard connection (DeviceState and the pending arrival):
//
//   NEVER_OPENED(0) --open at start-up--> CONNECTED(1)
//   0 or REMOVED(2) --arrival--> ARRIVING --2000 ms--> CONNECTED(1)
//   ARRIVING --arrival--> ARRIVING (ignored)
//   ARRIVING --removal--> 2 (the arrival is dropped; a state 0 also runs
//                           the removal steps)
//   0 or 1 --removal--> REMOVED(2);  1 --arrival--> 1 and 2 --removal--> 2 (ignored)
//
// Console connect and disconnect, suspend and resume open and close the
// keyboard without changing DeviceState. The keyboard is held while the
// session is on the console and the machine is awake:
//
//                         suspend: release
//     ACTIVE, AWAKE   -------------------------->  ACTIVE, ASLEEP
//                     <--------------------------
//       |       ^       resume: open, read back       |       ^
//   disconnect: connect:                          disconnect  connect
//   release     open, read back                       |       |
//       v       |                                     v       |
//    INACTIVE, AWAKE  -------------------------->  INACTIVE, ASLEEP
//                     <--------------------------
//                           suspend, resume
//
// Transitions that name only their event open and close nothing: a
// machine that wakes while its session is away keeps the keyboard closed
// until the session comes back. Releasing ends what the host plays (a
// macro, held shortcut keys: each key is released), stops the running job
// at its next check and closes the keyboard once the job has let it go, so
// nothing is half-sent; opening reads the keyboard back as an arrival does,
// as far as the synchronisation stamp asks. An arrival still waiting at the
// release waits again from the next opening.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "keyboard/Clock.h"
#include "keyboard/KeyboardProtocol.h"
#include "monitor/DeviceWorkerThread.h"
#include "monitor/ForegroundRule.h"
#include "monitor/HostActions.h"
#include "monitor/MacroPlaybackThread.h"
#include "monitor/MonitorIds.h"
#include "monitor/MonitorPorts.h"
#include "monitor/PactRegistration.h"
#include "platform/MessageLoop.h"
#include "platform/ProcessLauncher.h"
#include "settings/ConfigFile.h"
#include "settings/StoreLocation.h"

namespace kelm {

struct MonitorPorts {
    MessageLoop& loop;
    TimerService& timers;
    IWindowHost& window;
    IWindowDirectory& windows;
    IDeviceLibrary& device;
    ISettingsBlock& settingsBlock;
    IPactBlocks& pactBlocks;
    IMonitorFiles& files;
    ISessionNotifications& session;
    IKeyboardRate& keyboardRate;
    ProcessLauncher& launcher;
    IClock& clock;
    ITrayIcon* tray = nullptr;  // no tray: no icon
    StoreLocation where;
    HostActions actions;
    PactMessages pactMessages;
    // The window is gone: the program's loop ends.
    std::function<void()> onDestroyed;
};

class CMonitorWnd final : public IProfileSwitching, private IDeviceJobs, private ISetupWindow {
public:
    static constexpr std::chrono::milliseconds kForegroundPeriod{2000};
    static constexpr std::chrono::milliseconds kFirstReadDelay{200};
    static constexpr std::chrono::milliseconds kArrivalWait{2000};
    static constexpr std::chrono::milliseconds kSoundDelay{500};
    static constexpr std::chrono::milliseconds kShortcutFirstRepeat{1000};
    static constexpr std::chrono::milliseconds kShortcutRepeat{100};
    static constexpr std::chrono::milliseconds kSessionRetry{1000};
    static constexpr int kSessionAttempts = 10;

    CMonitorWnd(MonitorPorts ports, bool openSetupOnStart);
    ~CMonitorWnd() override;
    CMonitorWnd(const CMonitorWnd&) = delete;
    CMonitorWnd& operator=(const CMonitorWnd&) = delete;

    // The start-up sequence; false when the window cannot exist (its title
    // is taken, or the settings block's mutex exists already), and then
    // nothing of it is left running.
    bool Create();
    // The shutdown sequence (WM_CLOSE); runs once.
    void Destroy();

    // The message table: the result a sender of the message receives.
    std::int64_t WindowProc(const WindowMessage& message);
    void OnTimer(unsigned id);
    // What the keyboard library and the session notifications post.
    void OnPostedMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    // Tray icon mouse actions (WM_LBUTTONDOWN and the like) and menu choices.
    void OnSystrayNotify(std::uint32_t mouseMessage);
    void OnCommand(std::uint32_t command);

    void DispatchDeviceEvent(std::uint32_t id);
    // The host makes slot current: the keyboard is told through a job, the
    // block, key repeat and KelmSetup at once; config.ini keeps its value.
    void SwitchProfile(int slot) override;

    int DeviceState() const { return flags_.deviceState.load(); }
    const DeviceFlags& Flags() const { return flags_; }
    bool PactActive() const { return pactActive_; }
    bool OpenSetupOnStart() const { return openSetupOnStart_; }
    // A copy of the working record, taken under the protocol's lock.
    SettingsRecord RecordSnapshot();
    // Returns once the worker has done every job and task asked of it
    // before the call (or dropped them, at shutdown).
    void WaitForWorker();

private:
    // ---- start-up and shutdown ----
    void RegisterForPact();
    void RegisterSessionNotification();
    void OpenPactBlocksAtStart();
    void Unwind();

    // ---- keyboard connection ----
    bool OpenKeyboard();
    void CloseKeyboard();
    void BeginArrival();
    void CompleteArrival();
    void Removal();
    void OnSessionChange(std::uint64_t code);
    void OnPowerBroadcast(std::uint64_t code);
    void HoldKeyboardWhile(bool consoleActive, bool awake);
    void ConnectKeyboard();
    void ReleaseKeyboard();
    void ReleaseHeldInput();
    std::optional<int> CheckFirmwareVersion();
    void StartFlash(int argument);
    void PostJob(int job, std::intptr_t argument = 0);
    void WriteDeviceState(int device);

    // ---- device jobs and record tasks (DeviceWorkerThread) ----
    void PostRecordTask(std::function<void()> task);
    void RunRecordTask() override;
    void CheckConnectedKeyboard();
    // The caller holds the protocol's lock.
    void TakeOver(const SettingsRecord& copy, std::uint64_t keyboardGeneration);
    void KeyboardStateChanged() { keyboardGeneration_.fetch_add(1); }
    void ReadAll() override;
    void SendProfile() override;
    void MacroRecordStage(std::uint16_t eventData) override;
    void PostSetupReload() override;

    // ---- settings and messages ----
    std::int64_t OnApplySettings(std::uint64_t wParam);
    void OnReloadSettings(bool withRate);
    void ApplyKeyboardRate();
    void ApplyKeyboardRate(const SettingsRecord& record);
    void AnnounceOsdPosition();
    void OnCopyData(const WindowMessage& message);
    void OnRegisteredMessage(const WindowMessage& message);

    // ---- the foreground-program rule's view of the window ----
    void ReadSettings(const std::function<void(const SettingsRecord&)>& read) override;
    bool SetupWindowOpen() override;
    void AnnounceProfileChange(unsigned soundTimer) override;

    // ---- keyboard events ----
    void OnKeyboardProfile(int number);
    void OnKeyboardBrightness(int level);
    void TakeKeyboardChange(std::function<void(SettingsRecord&)> change);
    void OnKeyFunction(int keyNumber, int phase);
    void OnQuickLaunch(int keyNumber);
    void OnMedia(int code, int releaseFlag);
    std::optional<MacroKeyInfo> CurrentKeyEntry(int keyNumber);
    // The caller holds the protocol's lock.
    void RefreshView();
    template <typename Read>
    auto ReadView(Read read) {
        const std::lock_guard lock(viewMutex_);
        return read(*view_);
    }
    void StartMacroRecordSound(MacroRecordFeedback feedback);
    bool IsFinalPhase() const;
    void StartSoundTimer(unsigned id);
    void StopSoundTimers();
    void PlaySoundOfTimer(unsigned id);
    // -1 when no profile is current: the sounds then take their middle level.
    int CurrentSoundVolume();

    // ---- tray, launchers ----
    void UpdateTrayIcon();
    void OnCustomizer();
    void StartProgram(const std::string& relativePath, std::vector<std::string> arguments = {});

    // ---- Pact ----
    void PublishDeviceStatus(int value);
    void OnPactKey(std::uint16_t data);
    void ResetPactStatus();
    void OnPactMonitorStatusChange(std::int64_t lParam);
    void OnPactStatusFromPact();

    // Runs task on the window's thread later, unless the window is gone.
    void PostToWindow(std::function<void()> task);
    void SetTimer(unsigned id, std::chrono::milliseconds period) { ports_.timers.SetTimer(id, period); }
    void KillTimer(unsigned id) { ports_.timers.KillTimer(id); }

    MonitorPorts ports_;
    const std::uint32_t activateMessage_;
    std::unique_ptr<SettingsRecord> record_;
    std::mutex viewMutex_;
    std::unique_ptr<SettingsRecord> view_;
    // Changes the keyboard made that the view has and the record not yet.
    std::deque<std::function<void(SettingsRecord&)>> pendingChanges_;
    std::mutex tasksMutex_;
    std::deque<std::function<void()>> recordTasks_;
    // Counts what the keyboard changed in the record: read-backs, profile
    // and brightness changes made on the keyboard.
    std::atomic<std::uint64_t> keyboardGeneration_{0};
    OsdSetting osd_{};
    DeviceFlags flags_;
    bool openSetupOnStart_;
    KeyboardProtocol protocol_;
    PactRegistration pactRegistration_;
    MacroPlaybackThread macroThread_;
    DeviceWorkerThread deviceThread_;

    bool created_ = false;
    bool destroyed_ = false;
    bool arrivalPending_ = false;
    int sessionAttempts_ = 0;
    bool sessionRegistered_ = false;
    bool consoleActive_ = true;
    bool awake_ = true;

    bool pactActive_ = false;
    bool duoLayerLock_ = false;
    PactStatusRecord pactIn_{};
    AmbientLightRecord ambient_{};

    std::uint16_t lastShortcut_ = 0;
    // Shortcut keys pressed and not yet released: key number to word.
    std::map<int, std::uint16_t> heldShortcuts_;
    bool firstRepeatPending_ = false;

    // Tasks posted to the window hold a weak reference: they do nothing
    // once the window is gone.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

}  // namespace kelm
