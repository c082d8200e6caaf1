// The real KelmWatch through a suspend and resume that a stand-in logind on
// a private system bus announces, against the real KelmEmu.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>
#include <string>

#include "Eventually.h"
#include "MonitorIntegrationFixture.h"
#include "settings/ProfileFile.h"
#include "tests/platform/FakeLogind.h"
#include "tests/support/ScopedEnv.h"

namespace kelm::test {
namespace {

class SleepIntegration : public MonitorIntegration {
protected:
    // The keyboard as another machine leaves it: its own stamp on it.
    void RestampKeyboard() {
        ::kill(emuPid, SIGTERM);
        ASSERT_EQ(WaitExit(emuPid, 5000), 0);
        const SyncStamp stamp = MakeSyncStamp(1'800'000'000);
        const std::string restamped = std::regex_replace(ReadFile(state), std::regex("SyncStamp=[^\r\n]*"),
                                                         "SyncStamp=" + EncodeStruct(stamp.data(), stamp.size()));
        WriteFile(state, restamped);
        StartEmu();
    }

    ProfileRecord SavedProfile(int slot) {
        ProfileRecord profile{};
        LoadProfile(profile, home + "/config/Default" + std::to_string(slot) + ".vkp");
        return profile;
    }
};

TEST_F(SleepIntegration, AfterResumeTheFilesHoldWhatTheKeyboardGotWhileAsleep) {
    const auto bus = PrivateBus::Start(folder.Path());
    if (!bus) GTEST_SKIP() << "dbus-daemon is not installed or did not start";
    const auto logind = FakeLogind::Start(bus->Address(), {});
    ASSERT_TRUE(logind);
    const ScopedEnv systemBus("DBUS_SYSTEM_BUS_ADDRESS", bus->Address().c_str());
    AgreeOnStamp();
    ASSERT_NO_FATAL_FAILURE(StartAll());
    ASSERT_TRUE(Eventually([&] { return logind->LocksHeld() == 1; })) << MonitorOutput();

    logind->PrepareForSleep(true);
    // The lock goes once the keyboard is released.
    ASSERT_TRUE(Eventually([&] { return logind->LocksHeld() == 0; })) << MonitorOutput();
    EXPECT_NE(Config().find("Device=0"), std::string::npos);

    // Meanwhile profile 3 becomes the active one, with a new brightness and
    // a macro on key 1, and another machine stamps the keyboard.
    Ctl({"profile", "3"});
    Ctl({"brightness", "2"});
    Ctl({"record", "3", "1", "0x04:1:20", "0x04:2:20"});
    ASSERT_NO_FATAL_FAILURE(RestampKeyboard());

    logind->PrepareForSleep(false);
    ASSERT_TRUE(Eventually([&] { return logind->LocksHeld() == 1; })) << MonitorOutput();
    ASSERT_TRUE(Eventually([&] { return SavedProfile(2).Keys[0].EventCount == 2; }, 30000)) << MonitorOutput();
    const auto dump = Dump();
    const ProfileRecord saved = SavedProfile(2);
    EXPECT_EQ(dump["CurrentProfile"], 2);
    EXPECT_NE(Config().find("CurrentProfile=2"), std::string::npos);
    EXPECT_NE(Config().find("Device=1"), std::string::npos);
    EXPECT_EQ(dump["Profiles"][2]["LtBrightness"], 1);
    EXPECT_EQ(saved.LtBrightness, 1);
    EXPECT_EQ(saved.Keys[0].FunctionCode, kFnMacro);
    EXPECT_EQ(block.Read()->Profiles[2].LtBrightness, 1);
    EXPECT_EQ(StopMonitor(monitor), 0);
}

}  // namespace
}  // namespace kelm::test
