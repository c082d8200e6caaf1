// The tray icon's visibility, the tray's actions, bringing up the
// configuration program, and the firmware check that may start KelmFlash.
#include <filesystem>
#include <fstream>

#include "MonitorFixture.h"
#include "monitor/FirmwareCheck.h"

namespace kelm::test {
namespace {

const std::string kSetup(kSetupTitle);

// ---- the firmware rule ----

TEST(FirmwareCheck, ComparesAsUnsignedNumbers) {
    EXPECT_EQ(FirmwareUpdateArgument(5, 5), std::nullopt);
    EXPECT_EQ(FirmwareUpdateArgument(5, 4), 0);
    EXPECT_EQ(FirmwareUpdateArgument(5, 6), 1);
    EXPECT_EQ(FirmwareUpdateArgument(255, kNoPackageVersion), 1);
    EXPECT_EQ(FirmwareUpdateArgument(115, 0), 0);
    // A keyboard reporting version 0 never starts KelmFlash.
    EXPECT_EQ(FirmwareUpdateArgument(0, 4), std::nullopt);
    EXPECT_EQ(FirmwareUpdateArgument(0, kNoPackageVersion), std::nullopt);
}

TEST(FirmwareCheck, ReadsThePackageVersionOrAllOnes) {
    TempProgramFolder folder;
    const std::string path = folder.Program("FlashPack/config.ini");
    EXPECT_EQ(ReadPackageFirmwareVersion(path), kNoPackageVersion);
    std::filesystem::create_directories(folder.Program("FlashPack"));
    const auto write = [&](const std::string& text) { std::ofstream(path, std::ios::trunc) << text; };
    write("[Firmware]\r\nName=Kelm.bin\r\n");
    EXPECT_EQ(ReadPackageFirmwareVersion(path), kNoPackageVersion);
    write("[Firmware]\r\nVersion=116\r\n");
    EXPECT_EQ(ReadPackageFirmwareVersion(path), 116u);
    write("[Firmware]\nVersion=-1\n");
    EXPECT_EQ(ReadPackageFirmwareVersion(path), 0xFFFFFFFFu);
    write("[Firmware]\nVersion=abc\n");
    EXPECT_EQ(ReadPackageFirmwareVersion(path), 0u);
}

class TrayAndLaunchTest : public MonitorTest {};

TEST_F(TrayAndLaunchTest, KelmFlashStartsOnEveryConnectionWithDifferingVersions) {
    files.packageVersion = 114;
    CreateAndSettle();
    Presence(0);
    Presence(1);
    Fire(TIMER_ARRIVAL);
    Settle();
    EXPECT_TRUE(log.Has("Start FlashPack/KelmFlash 0"));
    log.Clear();
    files.packageVersion = kNoPackageVersion;
    Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
    Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT);
    Settle();
    EXPECT_TRUE(log.Has("Start FlashPack/KelmFlash 1"));
    // An installation that delivers no firmware package offers nothing.
    log.Clear();
    files.packageVersion = std::nullopt;
    Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
    Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT);
    Settle();
    EXPECT_FALSE(log.Has("Start FlashPack/KelmFlash 1"));
}

TEST_F(TrayAndLaunchTest, AnUnreadableKeyboardSkipsTheCheck) {
    keyboard.failReads[0x0F] = -1;
    files.packageVersion = kNoPackageVersion;
    Create();
    EXPECT_FALSE(files.firmware.has_value());
    EXPECT_FALSE(log.Has("Start FlashPack/KelmFlash 1"));
}

TEST_F(TrayAndLaunchTest, TheIconShowsWhileTheKeyboardIsConnectedAndNoPactMonitorRuns) {
    CreateAndSettle();
    EXPECT_TRUE(tray.shown);
    Presence(0);
    EXPECT_FALSE(tray.shown);
    Presence(1);
    Fire(TIMER_ARRIVAL);
    EXPECT_TRUE(tray.shown);

    const std::uint32_t statusChange = RegisterWindowMessage(kPactMonitorStatusChange);
    Send(statusChange, 0, 1);
    EXPECT_FALSE(tray.shown);
    Send(statusChange, 0, 0);
    EXPECT_TRUE(tray.shown);
    Send(statusChange, 0, 1);
    Presence(0);
    Send(statusChange, 0, 0);
    EXPECT_FALSE(tray.shown);
}

TEST_F(TrayAndLaunchTest, NoIconWhenThePactMonitorRunsAtStart) {
    pact.statusExists = true;
    CreateAndSettle();
    EXPECT_TRUE(wnd->PactActive());
    EXPECT_FALSE(tray.shown);
}

TEST_F(TrayAndLaunchTest, AMonitorWithoutATrayRunsTheSame) {
    wnd = std::make_unique<CMonitorWnd>(Ports(false), false);
    ASSERT_TRUE(wnd->Create());
    Presence(0);
    EXPECT_EQ(wnd->DeviceState(), kDeviceRemoved);
    EXPECT_FALSE(log.Has("TrayAdd"));
}

TEST_F(TrayAndLaunchTest, ConfigurationStartsKelmSetupOrAsksTheOpenOneToComeToTheFront) {
    CreateAndSettle();
    wnd->OnCommand(ID_CONFIGURATION);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Start KelmSetup"});

    windows.Open(kSetup);
    log.Clear();
    Send(WM_COMMAND, ID_CONFIGURATION);
    const std::uint32_t activate = RegisterWindowMessage(kActivateWindowMessage);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Post " + kSetup + " " + std::to_string(activate) + " 0"});
}

TEST_F(TrayAndLaunchTest, TrayMouseActions) {
    CreateAndSettle();
    // Another program's message 1036 acts as the mouse on the icon: the
    // left button brings up the monitor's open message box, the right one
    // opens the menu.
    Send(MSG_TRAY_NOTIFY, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"RaisePopup"});
    log.Clear();
    Send(MSG_TRAY_NOTIFY, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"TrayMenu"});
    log.Clear();
    constexpr std::uint32_t kRightButtonUp = 0x0205;  // any other mouse message does nothing
    Send(MSG_TRAY_NOTIFY, 0, kRightButtonUp);
    EXPECT_TRUE(log.Entries().empty());
    Send(MSG_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Start KelmSetup"});
    // The command's notification code in the high word does not matter.
    log.Clear();
    Send(WM_COMMAND, (1u << 16) | ID_CONFIGURATION);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Start KelmSetup"});
}

TEST_F(TrayAndLaunchTest, TheForegroundTimerRunsWhileTheKeyboardIsConnected) {
    CreateAndSettle();
    Fire(TIMER_FOREGROUND);
    EXPECT_TRUE(log.Has("Foreground"));
    Presence(0);
    EXPECT_FALSE(timers.Running(TIMER_FOREGROUND));
}

}  // namespace
}  // namespace kelm::test
