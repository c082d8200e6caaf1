// Automatic profile switching: the rule's decisions on a fake window, and
// the host's profile change on the real window over fakes.
#include <cstring>

#include "MonitorFixture.h"
#include "monitor/ForegroundRule.h"
#include "platform/Debug.h"
#include "settings/Text.h"
#include "tests/support/ScopedEnv.h"

namespace kelm::test {
namespace {

using Result = ForegroundLookup::Result;

class FakeProgram final : public IForegroundProgram {
public:
    ForegroundLookup Find() override { return front; }
    ForegroundLookup front{Result::NoProgram, {}};
};

class FakeSwitching final : public IProfileSwitching {
public:
    FakeSwitching() { DefaultSettings(*settings); }
    void ReadSettings(const std::function<void(const SettingsRecord&)>& read) override { read(*settings); }
    bool SetupWindowOpen() override { return setupOpen; }
    void SwitchProfile(int slot) override { calls.push_back("Switch " + std::to_string(slot)); }
    void AnnounceProfileChange(unsigned timer) override { calls.push_back("Announce " + std::to_string(timer)); }

    std::unique_ptr<SettingsRecord> settings = std::make_unique<SettingsRecord>();
    bool setupOpen = false;
    std::vector<std::string> calls;
};

struct RuleCase {
    const char* what;
    ForegroundLookup front;
    int current;
    int fallback;
    bool setupOpen;
    int soundOfCurrent;
    std::vector<std::string> expected;
};

TEST(ForegroundRule, TheProgramInFrontPicksTheLowestProfileNamingItElseTheFallback) {
    const std::vector<RuleCase> cases = {
        {"named by slot 3 and 4: the lower wins",
         {Result::Program, "game.exe"},
         0,
         -1,
         false,
         1,
         {"Switch 3", "Announce 601"}},
        {"case and folders do not matter", {Result::Program, "GAME.EXE"}, 0, -1, false, 0, {"Switch 3"}},
        {"already current: no work", {Result::Program, "game.exe"}, 3, 1, false, 1, {}},
        {"an open configuration program does not stop a game",
         {Result::Program, "game.exe"},
         0,
         1,
         true,
         1,
         {"Switch 3", "Announce 601"}},
        {"a Unix path in the last game file", {Result::Program, "run.sh"}, 0, -1, false, 0, {"Switch 1"}},
        {"no match: the fallback, announced as such",
         {Result::Program, "editor"},
         0,
         2,
         false,
         1,
         {"Switch 2", "Announce 602"}},
        {"a file name without its extension is another name", {Result::Program, "game"}, 0, 2, false, 0, {"Switch 2"}},
        {"nothing in front counts as no match", {Result::NoProgram, ""}, 3, 2, false, 0, {"Switch 2"}},
        {"no match while configuring: nothing", {Result::Program, "editor"}, 0, 2, true, 1, {}},
        {"no match and no fallback", {Result::Program, "editor"}, 0, -1, false, 1, {}},
        {"a fallback outside the slots is none", {Result::Program, "editor"}, 0, 5, false, 1, {}},
        {"no match, fallback current", {Result::Program, "editor"}, 2, 2, false, 1, {}},
        {"the window in front cannot be known", {Result::Unavailable, "no X display"}, 0, 2, false, 1, {}},
    };
    for (const RuleCase& c : cases) {
        FakeSwitching monitor;
        SettingsRecord& s = *monitor.settings;
        CopyField(s.Profiles[1].GameFile2, "/home/me/bin/run.sh");
        CopyField(s.Profiles[2].GameFile0, "   ");
        CopyField(s.Profiles[3].GameFile1, "  C:\\Games\\Game.EXE \r\n");
        CopyField(s.Profiles[4].GameFile0, "/opt/game.exe");
        s.CurrentProfile = c.current;
        s.WindowsProfile = c.fallback;
        if (IsValidSlot(c.current)) s.Profiles[c.current].SoundProfile = c.soundOfCurrent;
        monitor.setupOpen = c.setupOpen;
        FakeProgram program;
        program.front = c.front;
        ForegroundProfileRule rule(program);
        rule.Attach(monitor);
        rule.FollowForegroundProgram();
        EXPECT_EQ(monitor.calls, c.expected) << c.what;
    }
}

TEST(ForegroundRule, SaysOnceThatTheForegroundCannotBeKnown) {
    const ScopedEnv debug("KELM_DEBUG", "1");
    FakeSwitching monitor;
    FakeProgram program;
    ForegroundProfileRule rule(program);
    rule.Attach(monitor);
    program.front = {Result::Unavailable, "a Wayland session"};
    ::testing::internal::CaptureStderr();
    rule.FollowForegroundProgram();
    rule.FollowForegroundProgram();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "FollowForegroundProgram: off, a Wayland session\n");
    // Lost again after it came back: said again.
    program.front = {Result::NoProgram, {}};
    rule.FollowForegroundProgram();
    program.front = {Result::Unavailable, "no X display"};
    ::testing::internal::CaptureStderr();
    rule.FollowForegroundProgram();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "FollowForegroundProgram: off, no X display\n");
}

// ---- SwitchProfile on the real window ----

class SwitchProfileTest : public MonitorTest {
protected:
    void SetUp() override {
        files.loaded->CurrentProfile = 0;
        files.loaded->WindowsProfile = -1;
        windows.Open(std::string(kSetupTitle));
        keyboard.stamp = MakeSyncStamp(1'600'000'000);
        files.stamp = keyboard.stamp;
    }
    void CreateWithRule() {
        auto ports = Ports();
        ports.actions.foreground = &rule;
        wnd = std::make_unique<CMonitorWnd>(std::move(ports), false);
        rule.Attach(*wnd);
        ASSERT_TRUE(wnd->Create());
        Fire(TIMER_FIRST_READ);
        WaitForHostState(1);
        loop.RunPosted();
        log.Clear();
        keyboard.ClearCalls();
    }
    std::string SetupPost() {
        return "Post " + std::string(kSetupTitle) + " " + std::to_string(MSG_SETUP_PROFILE_CHANGED) + " 0";
    }

    FakeProgram program;
    ForegroundProfileRule rule{program};
};

TEST_F(SwitchProfileTest, TheKeyboardTheBlockTheKeyRepeatAndKelmSetupFollowButNotConfigIni) {
    LoadedProfile(0).SoundProfile = 1;
    LoadedProfile(3).KBDelay = 2;
    LoadedProfile(3).KBSpeed = 9;
    CopyField(LoadedProfile(3).GameFile0, "/opt/race/Race.bin");
    pact.statusExists = true;
    CreateWithRule();
    ASSERT_TRUE(timers.Running(TIMER_FOREGROUND));

    program.front = {Result::Program, "race.bin"};
    const std::size_t pactWrites = pact.writes.size();
    Fire(TIMER_FOREGROUND);
    EXPECT_TRUE(log.InOrder({"PublishRecord", "Registry 2 9", "Rate 2 9", SetupPost(), "SetTimer 601 500"}));
    EXPECT_EQ(block.Content().CurrentProfile, 3);
    EXPECT_EQ(pact.writes.size(), pactWrites + 1);
    Settle();
    EXPECT_EQ(wnd->RecordSnapshot().CurrentProfile, 3);
    EXPECT_EQ(keyboard.WrittenIds(), std::vector<std::uint8_t>{0x05});
    EXPECT_EQ(keyboard.activeProfile, 3);
    for (const std::string& entry : log.Entries()) EXPECT_NE(entry.rfind("CurrentProfile=", 0), 0u) << entry;

    // Staying in front is no further work.
    log.Clear();
    keyboard.ClearCalls();
    Fire(TIMER_FOREGROUND);
    Settle();
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_TRUE(keyboard.Calls().empty());

    // The sound is the new profile's.
    Fire(TIMER_SOUND_PROFILE);
    EXPECT_TRUE(log.Has("Sound 43 " + std::to_string(LoadedProfile(3).SoundVolume)));
}

TEST_F(SwitchProfileTest, TheCountdownsLastSecondsSwitchWithoutASound) {
    LoadedProfile(0).SoundProfile = 1;
    files.loaded->WindowsProfile = 4;
    windows.existing.clear();  // KelmSetup would keep the fall-back away
    actions.finalPhase = true;
    CreateWithRule();
    Fire(TIMER_FOREGROUND);
    Settle();
    EXPECT_EQ(wnd->RecordSnapshot().CurrentProfile, 4);
    EXPECT_EQ(keyboard.activeProfile, 4);
    EXPECT_FALSE(timers.Running(TIMER_SOUND_WINDOWS_PROFILE));
}

}  // namespace
}  // namespace kelm::test
