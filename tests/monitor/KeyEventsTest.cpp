// What the keyboard's events make the monitor do.
#include <cstring>

#include "MonitorFixture.h"
#include "settings/Text.h"

namespace kelm::test {
namespace {

const std::string kSetup(kSetupTitle);

class KeyEventsTest : public MonitorTest {
protected:
    void SetUp() override {
        files.loaded->CurrentProfile = 0;
        windows.Open(kSetup);
        // The keyboard holds what the files hold, so the read-back at start
        // keeps the record the test prepared.
        keyboard.stamp = MakeSyncStamp(1'600'000'000);
        files.stamp = keyboard.stamp;
    }
    MacroKeyInfo& LoadedKey(int slot, int entry) { return LoadedProfile(slot).Keys[entry]; }
    std::string SetupPost(std::uint32_t msg) { return "Post " + kSetup + " " + std::to_string(msg) + " 0"; }
};

// ---- profile and brightness changed on the keyboard ----

TEST_F(KeyEventsTest, AProfileChangeTakesEveryStepAndSendsTheKeyboardNothing) {
    LoadedProfile(0).SoundProfile = 1;
    LoadedProfile(2).KBDelay = 3;
    LoadedProfile(2).KBSpeed = 7;
    CreateAndSettle();
    keyboard.ClearCalls();

    Event(EVT_PROFILE, 3);
    EXPECT_TRUE(log.InOrder({"CurrentProfile=2", "SetTimer 601 500", "PublishRecord", "Registry 3 7", "Rate 3 7",
                             SetupPost(MSG_SETUP_PROFILE_CHANGED)}));
    EXPECT_EQ(block.Content().CurrentProfile, 2);
    Settle();
    EXPECT_EQ(wnd->RecordSnapshot().CurrentProfile, 2);
    EXPECT_EQ(block.Content().CurrentProfile, 2);
    EXPECT_TRUE(keyboard.Calls().empty());

    // The sound is that of the profile current when the timer fires.
    Fire(TIMER_SOUND_PROFILE);
    EXPECT_TRUE(log.Has("Sound 42 " + std::to_string(LoadedProfile(2).SoundVolume)));
    EXPECT_FALSE(timers.Running(TIMER_SOUND_PROFILE));
}

TEST_F(KeyEventsTest, TheProfileSoundFollowsTheProfileLeftAndTheCountdown) {
    LoadedProfile(0).SoundProfile = 0;
    LoadedProfile(1).SoundProfile = 1;
    CreateAndSettle();
    Event(EVT_PROFILE, 2);  // leaving a silent profile: not announced
    EXPECT_FALSE(timers.Running(TIMER_SOUND_PROFILE));
    Event(EVT_PROFILE, 2);  // the same profile again still runs every step
    EXPECT_TRUE(timers.Running(TIMER_SOUND_PROFILE));
    EXPECT_EQ(log.Count("CurrentProfile=1"), 2);

    timers.KillTimer(TIMER_SOUND_PROFILE);
    actions.finalPhase = true;
    Event(EVT_PROFILE, 1);
    EXPECT_FALSE(timers.Running(TIMER_SOUND_PROFILE));
    Settle();
    EXPECT_EQ(wnd->RecordSnapshot().CurrentProfile, 0);
}

TEST_F(KeyEventsTest, AStartedSoundTimerStopsThePendingOnes) {
    LoadedProfile(0).SoundProfile = 1;
    LoadedProfile(0).SoundLRecord = 1;
    CreateAndSettle();
    timers.SetTimer(TIMER_SOUND_MACRO_ENTER, std::chrono::milliseconds(500));
    timers.SetTimer(609, std::chrono::milliseconds(500));
    Event(EVT_PROFILE, 1);
    EXPECT_EQ(timers.RunningIds().count(TIMER_SOUND_MACRO_ENTER), 0u);
    EXPECT_EQ(timers.RunningIds().count(609), 0u);
    EXPECT_TRUE(timers.Running(TIMER_SOUND_PROFILE));
}

TEST_F(KeyEventsTest, ProfileEventsOutOfRangeDoNothing) {
    CreateAndSettle();
    Event(EVT_PROFILE, 0);
    Event(EVT_PROFILE, 6);
    EXPECT_TRUE(log.Entries().empty());
}

TEST_F(KeyEventsTest, BrightnessIsStoredAndAnnouncedWithoutSound) {
    CreateAndSettle();
    Event(EVT_BRIGHTNESS, 6);
    Settle();
    EXPECT_EQ(wnd->RecordSnapshot().Profiles[0].LtBrightness, 5);
    EXPECT_EQ(block.Content().Profiles[0].LtBrightness, 5);
    EXPECT_TRUE(log.InOrder({"PublishRecord", SetupPost(MSG_SETUP_BRIGHTNESS_CHANGED)}));
    log.Clear();
    Event(EVT_BRIGHTNESS, 7);
    Settle();
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_TRUE(timers.RunningIds().count(TIMER_SOUND_PROFILE) == 0);
}

TEST_F(KeyEventsTest, EventsNeedACurrentProfile) {
    files.loaded->CurrentProfile = -1;
    keyboard.failReads[0x05] = -1;
    CreateAndSettle();
    // A record without a current profile (a damaged block) names no key.
    Event(EVT_BRIGHTNESS, 3);
    Event(EVT_KEY_FUNCTION, 1);
    Event(EVT_PACT_KEY, 0xAA);
    EXPECT_TRUE(log.Entries().empty());
    // Leaving no profile is not announced, but the change is made.
    Event(EVT_PROFILE, 2);
    EXPECT_FALSE(timers.Running(TIMER_SOUND_PROFILE));
    Settle();
    EXPECT_EQ(wnd->RecordSnapshot().CurrentProfile, 1);
}

// ---- macro recording on the keyboard ----

TEST_F(KeyEventsTest, MacroRecordStagesReachTheWorkerAndStartTheirSound) {
    LoadedProfile(0).SoundLRecord = 1;
    CreateAndSettle();
    Event(EVT_MACRO_RECORD, 0x0100);
    ASSERT_TRUE(Eventually([&] { return loop.RunPosted() > 0; }));
    EXPECT_TRUE(timers.Running(TIMER_SOUND_MACRO_SELECT));
    Fire(TIMER_SOUND_MACRO_SELECT);
    EXPECT_TRUE(log.Has("Sound 50 " + std::to_string(LoadedProfile(0).SoundVolume)));

    // Stage 3 reads the macro recorded on key 5 back first.
    keyboard.profiles[0].macros[4].EventCount = 2;
    keyboard.profiles[0].macros[4].Events[0] = {0x04, 1, 50};
    keyboard.profiles[0].macros[4].Events[1] = {0x04, 2, 0};
    keyboard.profiles[0].keys[4].code = kFnMacro;
    Event(EVT_MACRO_RECORD, 0x0305);
    ASSERT_TRUE(Eventually([&] { return loop.RunPosted() > 0; }));
    EXPECT_TRUE(timers.Running(TIMER_SOUND_MACRO_RECORDED));
    EXPECT_TRUE(log.InOrder({"PublishRecord", SetupPost(MSG_SETUP_RELOAD), "SaveRecord"}));
    EXPECT_EQ(block.Content().Profiles[0].Keys[4].EventCount, 2);

    for (const auto& [data, timer] :
         std::vector<std::pair<std::uint16_t, unsigned>>{{0x0200, TIMER_SOUND_MACRO_ENTER},
                                                         {0x0400, TIMER_SOUND_MACRO_ABORTED},
                                                         {0x0500, TIMER_SOUND_KEY_NOT_AVAILABLE}}) {
        Event(EVT_MACRO_RECORD, data);
        ASSERT_TRUE(Eventually([&] { return loop.RunPosted() > 0; })) << data;
        EXPECT_TRUE(timers.Running(timer)) << data;
    }
}

TEST_F(KeyEventsTest, MacroRecordSoundsNeedTheProfileSwitchAndNoFinalPhase) {
    LoadedProfile(0).SoundLRecord = 0;
    CreateAndSettle();
    Event(EVT_MACRO_RECORD, 0x0100);
    ASSERT_TRUE(Eventually([&] { return loop.RunPosted() > 0; }));
    EXPECT_FALSE(timers.Running(TIMER_SOUND_MACRO_SELECT));

    wnd->Destroy();
    wnd.reset();
    LoadedProfile(0).SoundLRecord = 1;
    actions.finalPhase = true;
    CreateAndSettle();
    Event(EVT_MACRO_RECORD, 0x0100);
    ASSERT_TRUE(Eventually([&] { return loop.RunPosted() > 0; }));
    EXPECT_FALSE(timers.Running(TIMER_SOUND_MACRO_SELECT));
}

TEST_F(KeyEventsTest, JobsAreDroppedWhileTheKeyboardIsAway) {
    LoadedProfile(0).SoundLRecord = 1;
    CreateAndSettle();
    Presence(0);
    Event(EVT_MACRO_RECORD, 0x0100);
    // Jobs run in posting order: once the arrival's read-back has run, the
    // stage before it was taken and dropped.
    Presence(1);
    Fire(TIMER_ARRIVAL);
    WaitForHostState(1);
    EXPECT_EQ(loop.RunPosted(), 0);
    EXPECT_FALSE(timers.Running(TIMER_SOUND_MACRO_SELECT));
}

// ---- keys with a host-side function ----

TEST_F(KeyEventsTest, AShortcutKeyPressesRepeatsAndReleases) {
    LoadedKey(0, 9).FunctionCode = kFnShortcut;
    LoadedKey(0, 9).Events[0] = {0x17, 0x0C, 0};  // Ctrl+Alt+T
    CreateAndSettle();
    const std::string word = std::to_string(0x0C17);

    Event(EVT_KEY_FUNCTION, 10);
    EXPECT_TRUE(log.Has("PressShortcut " + word));
    EXPECT_EQ(timers.Period(TIMER_SHORTCUT_REPEAT), 1000);
    Fire(TIMER_SHORTCUT_REPEAT);  // 1.0 s
    EXPECT_EQ(timers.Period(TIMER_SHORTCUT_REPEAT), 100);
    Fire(TIMER_SHORTCUT_REPEAT);  // 1.1 s
    Fire(TIMER_SHORTCUT_REPEAT);  // 1.2 s
    EXPECT_EQ(log.Count("TapShortcut " + word), 3);
    EXPECT_EQ(timers.Period(TIMER_SHORTCUT_REPEAT), 100);

    Event(EVT_KEY_FUNCTION_ALSO, 0x010A);
    EXPECT_TRUE(log.Has("ReleaseShortcut " + word));
    EXPECT_FALSE(timers.Running(TIMER_SHORTCUT_REPEAT));
}

TEST_F(KeyEventsTest, AShortcutHeldAcrossAProfileChangeReleasesWhatItPressed) {
    LoadedKey(0, 9).FunctionCode = kFnShortcut;
    LoadedKey(0, 9).Events[0] = {0x17, 0x0C, 0};  // Ctrl+Alt+T in profile 1
    LoadedKey(1, 9).FunctionCode = kFnMacro;      // something else in profile 2
    CreateAndSettle();
    Event(EVT_KEY_FUNCTION, 10);
    Event(EVT_PROFILE, 2);
    Event(EVT_KEY_FUNCTION_ALSO, 0x010A);
    EXPECT_TRUE(log.Has("ReleaseShortcut " + std::to_string(0x0C17)));
    EXPECT_FALSE(timers.Running(TIMER_SHORTCUT_REPEAT));
}

TEST_F(KeyEventsTest, ReleasingAShortcutBeforeOneSecondRepeatsNothing) {
    LoadedKey(0, 0).FunctionCode = kFnShortcut;
    LoadedKey(0, 0).Events[0] = {0x04, 0x01, 0};
    CreateAndSettle();
    Event(EVT_KEY_FUNCTION, 1);
    Event(EVT_KEY_FUNCTION, 0x0201);  // any non-zero phase releases
    EXPECT_FALSE(timers.Running(TIMER_SHORTCUT_REPEAT));
    EXPECT_EQ(log.Count("TapShortcut 260"), 0);
    EXPECT_TRUE(log.Has("ReleaseShortcut 260"));
}

TEST_F(KeyEventsTest, TimerKeysGoToTheCountdownWithTheirPhase) {
    LoadedKey(0, 2).FunctionCode = kFnTimer;
    LoadedKey(0, 3).FunctionCode = 0xBD;
    CreateAndSettle();
    Event(EVT_KEY_FUNCTION, 3);
    Event(EVT_KEY_FUNCTION, 0x0103);
    Event(EVT_KEY_FUNCTION, 4);
    EXPECT_TRUE(log.InOrder({"Countdown 3 0 188", "Countdown 3 1 188", "Countdown 4 0 189"}));
    timers.SetTimer(TIMER_COUNTDOWN, std::chrono::milliseconds(1000));
    Fire(TIMER_COUNTDOWN);
    EXPECT_TRUE(log.Has("CountdownTick"));
}

TEST_F(KeyEventsTest, AMacroKeyStartsPlaybackOnPressOnly) {
    LoadedKey(0, 1).FunctionCode = kFnMacro;
    LoadedKey(0, 1).KeyIndex = 1;
    CreateAndSettle();
    Event(EVT_KEY_FUNCTION, 0x0102);
    EXPECT_FALSE(log.Has("Macro 1"));
    Event(EVT_KEY_FUNCTION, 2);
    EXPECT_TRUE(log.Has("Macro 1"));
    EXPECT_TRUE(Eventually([&] { return actions.Played() == 1; }));

    // A press that only aborts the playback starts none.
    actions.macroStarts = false;
    Event(EVT_KEY_FUNCTION, 2);
    EXPECT_EQ(log.Count("Macro 1"), 2);
    wnd->Destroy();  // waits for the playback thread
    EXPECT_EQ(actions.Played(), 1);
}

TEST_F(KeyEventsTest, KeysWorkWhileAReadBackHoldsTheRecord) {
    LoadedKey(0, 1).FunctionCode = kFnMacro;
    LoadedKey(0, 1).KeyIndex = 1;
    Create();
    std::atomic<bool> jobWaiting{false};
    std::atomic<bool> release{false};
    clock.SetSleepHook([&](std::int64_t) {
        jobWaiting = true;
        Eventually([&] { return release.load(); });
    });
    Fire(TIMER_FIRST_READ);
    ASSERT_TRUE(Eventually([&] { return jobWaiting.load(); }));
    Event(EVT_KEY_FUNCTION, 2);
    Event(EVT_MEDIA, 0x20);
    EXPECT_TRUE(log.Has("Macro 1"));
    EXPECT_TRUE(log.Has("Media 32 0 " + std::to_string(LoadedProfile(0).MediaOption)));
    EXPECT_TRUE(wnd->Flags().jobBusy.load());
    release = true;
    WaitForHostState(1);
    wnd->Destroy();  // while the clock's hook can still see this test's flags
}

TEST_F(KeyEventsTest, KeyFunctionsLookOnlyAtKeysOneTo48OfTheCurrentProfile) {
    for (int entry = 0; entry < kKeyCount; ++entry) LoadedKey(0, entry).FunctionCode = kFnTimer;
    LoadedKey(1, 0).FunctionCode = kFnShortcut;
    CreateAndSettle();
    Event(EVT_KEY_FUNCTION, 0);
    Event(EVT_KEY_FUNCTION, 49);
    EXPECT_TRUE(log.Entries().empty());
    Event(EVT_KEY_FUNCTION, 48);
    EXPECT_TRUE(log.Has("Countdown 48 0 188"));
    Event(EVT_KEY_FUNCTION, 1);  // profile 1 is current, not profile 2
    EXPECT_FALSE(timers.Running(TIMER_SHORTCUT_REPEAT));
}

TEST_F(KeyEventsTest, QuickLaunchNeedsItsCodeAndAPress) {
    LoadedKey(0, 4).FunctionCode = kFnQuickLaunch;
    CopyField(LoadedKey(0, 4).QuickLaunchPath, "/usr/bin/true");
    CopyField(LoadedKey(0, 5).QuickLaunchPath, "/usr/bin/false");
    CreateAndSettle();
    Event(EVT_QUICK_LAUNCH, 5);
    Event(EVT_QUICK_LAUNCH, 6);       // code is not 0xB9
    Event(EVT_QUICK_LAUNCH, 0x0105);  // a release
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"QuickLaunch /usr/bin/true"});
}

TEST_F(KeyEventsTest, MediaCodesCarryThePlayerOfTheCurrentProfile) {
    LoadedProfile(0).MediaOption = 2;
    CreateAndSettle();
    Event(EVT_MEDIA, 0x0123);
    Event(EVT_MEDIA, 0x20);
    Event(EVT_MEDIA, 0x28);
    EXPECT_EQ(log.Entries(), (std::vector<std::string>{"Media 35 1 2", "Media 32 0 2"}));
}

TEST_F(KeyEventsTest, OpenDriverKeyOpensTheConfigurationProgramThroughTheQueue) {
    windows.existing.clear();
    CreateAndSettle();
    Event(EVT_OPEN_SETUP, 1);
    EXPECT_FALSE(log.Has("Start KelmSetup"));
    loop.RunPosted();
    EXPECT_TRUE(log.Has("Start KelmSetup"));
    Event(EVT_OPEN_SETUP, 2);
    EXPECT_EQ(loop.RunPosted(), 0);
}

// ---- arrival and removal ----

TEST_F(KeyEventsTest, RemovalClosesTheKeyboardAndTheConfigurationProgram) {
    CreateAndSettle();
    Presence(0);
    EXPECT_EQ(wnd->DeviceState(), kDeviceRemoved);
    EXPECT_TRUE(log.InOrder({"CloseFeatureDevice", "TrayRemove", "Device=0", "Post " + kSetup + " 16 0"}));
    EXPECT_FALSE(timers.Running(TIMER_FOREGROUND));
    EXPECT_FALSE(log.Has("CloseDevMonitor"));  // still watching for the next arrival
    log.Clear();
    Presence(0);
    EXPECT_TRUE(log.Entries().empty());
}

TEST_F(KeyEventsTest, ArrivalWaitsTwoSecondsThenConnectsAndReadsBack) {
    device.opens = false;
    Create();
    log.Clear();
    Presence(1);
    EXPECT_EQ(timers.Period(TIMER_ARRIVAL), 2000);
    EXPECT_EQ(wnd->DeviceState(), kDeviceNeverOpened);
    Presence(1);  // a second arrival during the wait is ignored
    EXPECT_EQ(log.Count("SetTimer 503 2000"), 1);

    Fire(TIMER_ARRIVAL);
    EXPECT_EQ(wnd->DeviceState(), kDeviceConnected);
    // The window does its part at once; the keyboard is read by the worker.
    EXPECT_TRUE(log.InOrder({"OpenFeatureDevice", "TrayAdd", "Device=1", "SetTimer 500 2000"}));
    EXPECT_FALSE(timers.Running(TIMER_ARRIVAL));
    WaitForHostState(1);
    EXPECT_TRUE(log.InOrder({"FWVersion=115", "HostState 1"}));

    log.Clear();
    Presence(1);  // connected already
    EXPECT_TRUE(log.Entries().empty());
}

TEST_F(KeyEventsTest, AKeyboardLeavingDuringTheArrivalWaitNeverArrives) {
    CreateAndSettle();
    Presence(0);
    Presence(1);
    log.Clear();
    Presence(0);
    EXPECT_FALSE(timers.Running(TIMER_ARRIVAL));
    EXPECT_EQ(wnd->DeviceState(), kDeviceRemoved);
    EXPECT_FALSE(log.Has("TrayAdd"));
}

TEST_F(KeyEventsTest, UnplugDuringTheReadBackAbortsTheJob) {
    Create();
    HoldTheReadBackInItsFirstWait();
    const std::int64_t before = clock.SleptMs();
    Presence(0);
    // The job ends within one wait step of the abort: the host state it
    // writes at its end follows at once.
    ASSERT_TRUE(Eventually([&] { return !wnd->Flags().jobBusy.load(); }));
    EXPECT_LE(clock.SleptMs() - before, 200);
    EXPECT_FALSE(log.Has("SaveRecord"));
    wnd->Destroy();  // while the clock's hook can still see this test's flag
}

TEST_F(KeyEventsTest, ConsoleSwitchesCloseAndReopenWithoutChangingTheState) {
    CreateAndSettle();
    session.onChange(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
    EXPECT_TRUE(log.InOrder({"Device=0", "CloseDevMonitor", "CloseFeatureDevice"}));
    EXPECT_EQ(wnd->DeviceState(), kDeviceConnected);
    log.Clear();
    Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT);
    EXPECT_TRUE(log.InOrder({"OpenDevMonitor 1325 1326", "OpenFeatureDevice", "TrayAdd", "Device=1"}));
    WaitForHostState(1);
    EXPECT_TRUE(log.InOrder({"FWVersion=115", "HostState 1"}));
    EXPECT_EQ(wnd->DeviceState(), kDeviceConnected);
    log.Clear();
    Send(WM_WTSSESSION_CHANGE, 5);
    EXPECT_TRUE(log.Entries().empty());
}

TEST_F(KeyEventsTest, WhatTheLibraryPostsIsHandledAsTheWindowsMessages) {
    CreateAndSettle();
    ASSERT_TRUE(device.sink);
    device.sink(MSG_DEVICE_EVENT, EVT_BRIGHTNESS, 2);
    Settle();
    EXPECT_EQ(wnd->RecordSnapshot().Profiles[0].LtBrightness, 1);
    device.sink(MSG_DEVICE_PRESENCE, 0, 0);
    EXPECT_EQ(wnd->DeviceState(), kDeviceRemoved);
}

}  // namespace
}  // namespace kelm::test
