// Suspend and resume with console connect and disconnect: when KelmWatch
// holds the keyboard, what it reads back on resume, and what a sleep ends.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <ostream>
#include <string>
#include <vector>

#include "Eventually.h"
#include "MonitorFixture.h"
#include "VirtualPlaybackClock.h"
#include "monitor/MacroPlayer.h"
#include "tests/platform/RecordingInjector.h"

namespace kelm::test {
namespace {

enum class Happens { Sleep, Resume, Disconnect, Connect };

class SleepTest : public MonitorTest {
protected:
    void SetUp() override {
        files.loaded->CurrentProfile = 0;
        // The keyboard holds what the files hold: a read-back reads only the
        // firmware version and the active profile.
        keyboard.stamp = MakeSyncStamp(1'600'000'000);
        files.stamp = keyboard.stamp;
    }

    // As logind's watchers report it.
    void Notify(Happens what) {
        ASSERT_TRUE(session.onChange);
        switch (what) {
            case Happens::Sleep:
                return session.onChange(WM_POWERBROADCAST, PBT_APMSUSPEND);
            case Happens::Resume:
                return session.onChange(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
            case Happens::Disconnect:
                return session.onChange(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
            case Happens::Connect:
                return session.onChange(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT);
        }
    }

    // The keyboard's openings and closings, in order.
    std::vector<std::string> OpenAndClose() const {
        std::vector<std::string> seen;
        for (const std::string& entry : log.Entries()) {
            if (entry == "OpenFeatureDevice") seen.push_back("open");
            if (entry == "CloseFeatureDevice") seen.push_back("close");
        }
        return seen;
    }
};

struct HoldCase {
    const char* name;
    std::vector<Happens> happenings;
    std::vector<std::string> expected;
};

void PrintTo(const HoldCase& c, std::ostream* out) { *out << c.name; }

class KeyboardHold : public SleepTest, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(KeyboardHold, TheKeyboardIsHeldWhileTheSessionIsActiveAndTheMachineAwake) {
    CreateAndSettle();
    for (const Happens what : GetParam().happenings) Notify(what);
    EXPECT_EQ(OpenAndClose(), GetParam().expected);
    EXPECT_EQ(wnd->DeviceState(), kDeviceConnected);
}

using H = Happens;
INSTANTIATE_TEST_SUITE_P(
    Cases, KeyboardHold,
    ::testing::Values(HoldCase{"SleepCloses", {H::Sleep}, {"close"}},
                      HoldCase{"ResumeOpens", {H::Sleep, H::Resume}, {"close", "open"}},
                      HoldCase{"RepeatedNotificationsChangeNothing",
                               {H::Sleep, H::Sleep, H::Resume, H::Resume, H::Connect},
                               {"close", "open"}},
                      HoldCase{"ResumeWhileAwayKeepsItClosed", {H::Disconnect, H::Sleep, H::Resume}, {"close"}},
                      HoldCase{"TheSessionsReturnOpensAfterSuchAResume",
                               {H::Disconnect, H::Sleep, H::Resume, H::Connect},
                               {"close", "open"}},
                      HoldCase{"ReturnWhileAsleepWaitsForTheResume", {H::Disconnect, H::Sleep, H::Connect}, {"close"}},
                      HoldCase{"LeavingWhileAsleepClosesNothingMore", {H::Sleep, H::Disconnect, H::Resume}, {"close"}}),
    [](const ::testing::TestParamInfo<HoldCase>& holdCase) { return std::string(holdCase.param.name); });

TEST_F(SleepTest, ResumeReadsBackWhatChangedMeanwhileAsAnArrivalDoes) {
    CreateAndSettle();
    Notify(Happens::Sleep);
    EXPECT_TRUE(log.InOrder({"Device=0", "CloseDevMonitor", "CloseFeatureDevice"}));
    EXPECT_FALSE(timers.Running(TIMER_FOREGROUND));
    // Another machine changes the keyboard meanwhile, and stamps it.
    keyboard.profiles[1].light.brightness = 3;
    keyboard.activeProfile = 1;
    keyboard.stamp = MakeSyncStamp(1'700'000'000);
    log.Clear();

    Notify(Happens::Resume);
    EXPECT_TRUE(log.InOrder({"OpenDevMonitor 1325 1326", "OpenFeatureDevice", "Device=1"}));
    EXPECT_TRUE(timers.Running(TIMER_FOREGROUND));
    WaitForHostState(1);
    Settle();
    EXPECT_EQ(files.Saved().Profiles[1].LtBrightness, 3);
    EXPECT_EQ(files.Saved().CurrentProfile, 1);
    EXPECT_EQ(block.Content().Profiles[1].LtBrightness, 3);
    // Both sides agree again, on a stamp of this host's.
    ASSERT_TRUE(files.stamp.has_value());
    EXPECT_EQ(*files.stamp, keyboard.stamp);
    EXPECT_NE(keyboard.stamp, MakeSyncStamp(1'700'000'000));
}

TEST_F(SleepTest, AnArrivalStillWaitingAtTheSleepWaitsAgainAfterTheResume) {
    CreateAndSettle();
    Presence(0);
    Presence(1);
    Notify(Happens::Sleep);
    EXPECT_FALSE(timers.Running(TIMER_ARRIVAL)) << "the keyboard would open while the machine sleeps";
    Notify(Happens::Resume);
    Fire(TIMER_ARRIVAL);
    EXPECT_EQ(wnd->DeviceState(), kDeviceConnected);
    WaitForHostState(1);
}

TEST_F(SleepTest, ASleepDuringAReadBackClosesTheKeyboardOnlyOnceTheJobLetItGo) {
    keyboard.stamp = {};  // a full read-back, with its waits
    Create();
    HoldTheReadBackInItsFirstWait();
    log.Clear();
    Notify(Happens::Sleep);
    // The aborted job's last word reached the keyboard before it closed,
    // and nothing went after.
    EXPECT_TRUE(log.InOrder({"HostState 1", "CloseFeatureDevice"}));
    EXPECT_EQ(log.Entries().back(), "CloseFeatureDevice");
    EXPECT_FALSE(log.Has("SaveRecord"));
    wnd->Destroy();  // while the clock's hook can still see this test's flag
}

// A real player, which outlives the window's threads.
class SleepWithPlayerTest : public SleepTest {
protected:
    StoppableClock playbackClock;
    RecordingInjector injector{playbackClock};
    MacroPlayer player{injector, playbackClock};
};

TEST_F(SleepWithPlayerTest, ASleepReleasesWhatAPlayingMacroAndAHeldShortcutHold) {
    macroPlayer = &player;
    MacroKeyInfo& macroKey = LoadedProfile(0).Keys[4];
    macroKey.FunctionCode = kFnMacro;
    macroKey.EventCount = 2;
    macroKey.Events[0] = {0x04, kActionPress, 60000};  // A held for a minute
    macroKey.Events[1] = {0x04, kActionRelease, 10};
    LoadedProfile(0).Keys[9].FunctionCode = kFnShortcut;
    LoadedProfile(0).Keys[9].Events[0] = {0x17, 0x0C, 0};  // Ctrl+Alt+T
    CreateAndSettle();

    Event(EVT_KEY_FUNCTION, 5);
    ASSERT_TRUE(Eventually([&] { return injector.Calls().size() == 1; }));
    Event(EVT_KEY_FUNCTION, 10);
    ASSERT_TRUE(log.Has("PressShortcut " + std::to_string(0x0C17)));

    Notify(Happens::Sleep);
    EXPECT_TRUE(log.Has("ReleaseShortcut " + std::to_string(0x0C17)));
    EXPECT_FALSE(timers.Running(TIMER_SHORTCUT_REPEAT));
    // Released before the machine may sleep.
    const auto calls = injector.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(playbackClock.cutShort.load(), 1);
    EXPECT_TRUE(calls[0].down);
    EXPECT_FALSE(calls[1].down);
    EXPECT_EQ(calls[1].code, KEY_A);
}

}  // namespace
}  // namespace kelm::test
