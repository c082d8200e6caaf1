// The monitor's start-up and shutdown: what happens, in which order, and
// what a failed step leaves behind.
#include <filesystem>

#include "MonitorFixture.h"
#include "monitor/MonitorIds.h"
#include "settings/IniFile.h"

namespace kelm::test {
namespace {

const std::string kMonitor(kMonitorTitle);
const std::string kSetup(kSetupTitle);
const std::string kOsd(kOsdTitle);
const std::string kPact(kPactMonitorTitle);

std::string PostEntry(std::string_view title, std::uint32_t msg, std::uint64_t wParam = 0) {
    return "Post " + std::string(title) + " " + std::to_string(msg) + " " + std::to_string(wParam);
}

class SequenceTest : public MonitorTest {};

TEST_F(SequenceTest, StartUpRunsItsStepsInOrderAndReadsTheKeyboardBackOnlyAfter200ms) {
    LoadedProfile(0).KBDelay = 2;
    LoadedProfile(0).KBSpeed = 20;
    files.loaded->CurrentProfile = 0;
    windows.Open(kPact);
    Create();
    const std::string deviceStatus = PostEntry(kPactMonitorTitle, RegisterWindowMessage(kPactDeviceStatusToMonitor));
    EXPECT_TRUE(log.InOrder({"Listen " + kMonitor, "RegisterSession", "LoadLibrary", "LoadRecord", "LoadOsd",
                             "CreateMutex", "CreateBlock", "PublishRecord", "OpenPactStatus",
                             "OpenDevMonitor 1325 1326", "OpenFeatureDevice", "SetTimer 500 2000", "FWVersion=115",
                             "SetTimer 502 200", "TrayAdd", deviceStatus, "Device=1", "Rate 2 20", "Start KelmOSD"}));
    EXPECT_EQ(wnd->DeviceState(), kDeviceConnected);

    // Registered for Pact before anything else touched the shared folder.
    const IniFile pconfig(folder.Where().sharedFolder + "PConfig.ini");
    EXPECT_EQ(pconfig.ReadString("Kelm", "WindowName", ""), kMonitor);
    EXPECT_EQ(pconfig.ReadInt("Kelm", "Device", -1), 1);

    // Nothing but reads reached the keyboard, and no settings report yet.
    EXPECT_TRUE(keyboard.WrittenIds().empty());
    EXPECT_EQ(keyboard.ReadIds(), (std::vector<std::uint8_t>{0x0F, 0x14}));

    Fire(TIMER_FIRST_READ);
    EXPECT_FALSE(timers.Running(TIMER_FIRST_READ));
    WaitForHostState(1);
    EXPECT_TRUE(log.InOrder({"SaveRecord", "PublishRecord", "HostState 1"}));
}

TEST_F(SequenceTest, WithoutTheKeyboardTheMonitorWaitsForItsArrival) {
    device.opens = false;
    Create();
    EXPECT_EQ(wnd->DeviceState(), kDeviceNeverOpened);
    EXPECT_FALSE(timers.Running(TIMER_FIRST_READ));
    EXPECT_FALSE(timers.Running(TIMER_FOREGROUND));
    EXPECT_FALSE(tray.shown);
    EXPECT_TRUE(log.Has("Device=0"));
    EXPECT_TRUE(log.Has("Start KelmOSD"));
    const IniFile pconfig(folder.Where().sharedFolder + "PConfig.ini");
    EXPECT_EQ(pconfig.ReadInt("Kelm", "Device", -1), 0);
}

TEST_F(SequenceTest, AMatchingStampLimitsTheReadBackToFirmwareAndProfile) {
    keyboard.stamp = MakeSyncStamp(1'600'000'000);
    files.stamp = keyboard.stamp;
    Create();
    keyboard.ClearCalls();
    Fire(TIMER_FIRST_READ);
    WaitForHostState(1);
    EXPECT_EQ(keyboard.ReadIds(), (std::vector<std::uint8_t>{0x0F, 0x05}));
}

TEST_F(SequenceTest, CommandLineOneOpensTheConfigurationProgramUnlessKelmFlashStarts) {
    Create(true);
    EXPECT_TRUE(log.InOrder({"TrayAdd", "Start KelmSetup", "Device=1"}));
    wnd->Destroy();
    log.Clear();

    files.packageVersion = 116;
    wnd = std::make_unique<CMonitorWnd>(Ports(), true);
    ASSERT_TRUE(wnd->Create());
    EXPECT_TRUE(log.Has("Start FlashPack/KelmFlash 1"));
    EXPECT_FALSE(log.Has("Start KelmSetup"));
    EXPECT_FALSE(wnd->OpenSetupOnStart());
}

TEST_F(SequenceTest, TheTitleTakenEndsCreationBeforeAnythingElse) {
    host.listens = false;
    wnd = std::make_unique<CMonitorWnd>(Ports(), false);
    EXPECT_FALSE(wnd->Create());
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Listen " + kMonitor});
}

TEST_F(SequenceTest, AnExistingBlockMutexEndsCreationAndUndoesWhatRan) {
    block.mutexResult = MutexCreation::AlreadyExisted;
    wnd = std::make_unique<CMonitorWnd>(Ports(), false);
    EXPECT_FALSE(wnd->Create());
    EXPECT_FALSE(log.Has("CreateBlock"));
    EXPECT_FALSE(log.Has("OpenFeatureDevice"));
    EXPECT_TRUE(log.InOrder({"FreeLibrary", "UnregisterSession", "CloseMutex", "CloseWindow"}));
    wnd.reset();  // no thread was started that could outlive it
    EXPECT_FALSE(log.Has("LoopEnds"));
}

TEST_F(SequenceTest, AMissingBlockOrLibraryLeavesTheMonitorRunning) {
    block.blockCreated = false;
    device.loads = false;
    device.opens = false;
    Create();
    EXPECT_FALSE(log.Has("PublishRecord"));
    EXPECT_TRUE(log.Has("Start KelmOSD"));
}

TEST_F(SequenceTest, SessionRegistrationIsRetriedEverySecondTenTimesAtMost) {
    session.reachable = false;
    Create();
    for (int attempt = 2; attempt <= CMonitorWnd::kSessionAttempts; ++attempt) {
        EXPECT_EQ(timers.Period(TIMER_SESSION_RETRY), 1000);
        Fire(TIMER_SESSION_RETRY);
    }
    EXPECT_EQ(session.attempts, CMonitorWnd::kSessionAttempts);
    EXPECT_FALSE(timers.Running(TIMER_SESSION_RETRY));
    wnd->Destroy();
    EXPECT_FALSE(log.Has("UnregisterSession"));
}

TEST_F(SequenceTest, ShutdownRunsItsStepsInOrder) {
    for (const auto& title :
         {kSetup, kOsd, std::string(kOsdPop3Title), std::string(kOsdCpuRamTitle), std::string(kOsdSkypeTitle), kPact})
        windows.Open(title);
    pact.statusExists = true;
    pact.ambientExists = true;
    CreateAndSettle();
    wnd->OnTimer(kFirstSoundTimer);  // harmless: not running
    Event(EVT_PROFILE, 2);           // a sound timer is pending (sounds are on by default)

    wnd->Destroy();
    const std::string deviceStatus = PostEntry(kPactMonitorTitle, RegisterWindowMessage(kPactDeviceStatusToMonitor));
    EXPECT_TRUE(log.InOrder({"HostState 0", PostEntry(kSetupTitle, WM_CLOSE), PostEntry(kOsdTitle, WM_CLOSE),
                             PostEntry(kOsdPop3Title, WM_CLOSE), PostEntry(kOsdCpuRamTitle, WM_CLOSE),
                             PostEntry(kOsdSkypeTitle, WM_CLOSE), "CloseDevMonitor", "CloseFeatureDevice",
                             "FreeLibrary", "UnregisterSession", "CloseBlock", "CloseMutex", "TrayRemove",
                             "ClosePactStatus", "CloseAmbient", deviceStatus, "CloseWindow", "LoopEnds"}));
    EXPECT_TRUE(timers.RunningIds().empty());
    const IniFile pconfig(folder.Where().sharedFolder + "PConfig.ini");
    EXPECT_EQ(pconfig.ReadInt("Kelm", "Device", -1), 2);

    // Only once, and nothing is handled afterwards.
    log.Clear();
    wnd->Destroy();
    EXPECT_EQ(Send(MSG_DEVICE_PRESENCE, 0), 0);
    EXPECT_TRUE(log.Entries().empty());
}

TEST_F(SequenceTest, ExitWhileAReadBackRunsAbortsItAndLeavesTheKeyboardAtHostState0) {
    Create();
    HoldTheReadBackInItsFirstWait();
    Send(WM_CLOSE);

    EXPECT_TRUE(log.Has("HostState 0"));
    EXPECT_FALSE(log.Has("HostState 1"));
    EXPECT_FALSE(log.Has("SaveRecord"));
    EXPECT_TRUE(log.Has("LoopEnds"));
    // Far less than a full read-back had reached the keyboard.
    EXPECT_LT(keyboard.ReadIds().size(), 10u);
}

TEST_F(SequenceTest, JobsQueuedWhenTheShutdownBeginsAreDropped) {
    CreateAndSettle();
    keyboard.ClearCalls();
    std::atomic<bool> jobWaiting{false};
    clock.SetSleepHook([&](std::int64_t) {
        jobWaiting = true;
        Eventually([&] { return wnd->Flags().abortRequested.load(); });
    });
    Event(EVT_MACRO_RECORD, 0x0301);  // reads the recorded macro: waits first
    Event(EVT_MACRO_RECORD, 0x0302);
    ASSERT_TRUE(Eventually([&] { return jobWaiting.load(); }));
    wnd->Destroy();
    // One select of the first job at most; the second never ran.
    EXPECT_LE(keyboard.ReadIds().size(), 1u);
}

TEST_F(SequenceTest, ExitFromTheTrayMenuClosesTheWindowThroughItsQueue) {
    CreateAndSettle();
    wnd->OnCommand(ID_EXIT);
    EXPECT_FALSE(log.Has("LoopEnds"));
    loop.RunPosted();
    EXPECT_TRUE(log.Has("LoopEnds"));
}

TEST_F(SequenceTest, TheMessageTableAnswersAsTheOtherProgramsExpect) {
    CreateAndSettle();
    EXPECT_EQ(Send(WM_DEVICECHANGE), 1);
    EXPECT_EQ(Send(MSG_ANSWERS_TRUE_1327), 1);
    EXPECT_EQ(Send(MSG_IGNORED_1232), 0);
    EXPECT_EQ(Send(MSG_IGNORED_1274), 0);
    EXPECT_EQ(Send(0x7777), 0);
    EXPECT_EQ(Send(MSG_DEVICE_EVENT, 0x1234, 0), 1);
    EXPECT_EQ(Send(MSG_DEVICE_PRESENCE, 5), 1);
    EXPECT_EQ(Send(MSG_APPLY_SETTINGS), 0);
    EXPECT_EQ(Send(MSG_RELOAD_SETTINGS), 0);
    EXPECT_EQ(Send(RegisterWindowMessage(kPactActiveStatusFromPact)), 0);
    EXPECT_EQ(Send(RegisterWindowMessage(kPactMonitorStatusChange), 0, 0), 0);
    EXPECT_EQ(Send(RegisterWindowMessage(kPactAmbientFromPact)), 0);
}

}  // namespace
}  // namespace kelm::test
