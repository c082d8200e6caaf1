// The real KelmWatch against the real KelmEmu, through the real
// libdevbridge.so, in a temporary program folder and runtime folder. The
// test plays the other programs: KelmSetup ("VELDAN Kelm Keyboard Option"),
// the display program and the Pact monitor, each a window of this process.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "Eventually.h"
#include "MonitorIntegrationFixture.h"
#include "PeerWindow.h"
#include "monitor/MonitorIds.h"
#include "platform/NamedMutex.h"
#include "platform/ObjectPaths.h"
#include "platform/SharedMapping.h"
#include "platform/SocketAddress.h"
#include "platform/WindowClient.h"
#include "settings/ConfigFile.h"
#include "settings/IniFile.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsRecord.h"
#include "settings/StructCodec.h"
#include "suite/PactRecords.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

// The Pact monitor's two blocks, created as it creates them.
struct PactMonitorObjects {
    PactMonitorObjects()
        : statusMutex(NamedMutex::Create(kPactStatusMutexName)),
          status(SharedMapping::Create(kPactStatusBlockName, sizeof(PactStatusRecord))),
          ambientMutex(NamedMutex::Create(kAmbientMutexName)),
          ambient(SharedMapping::Create(kAmbientBlockName, sizeof(AmbientLightRecord))) {}
    PactStatusRecord Read() {
        PactStatusRecord record;
        NamedMutexLock lock(statusMutex);
        std::memcpy(&record, status.Data(), sizeof record);
        return record;
    }
    void Write(const PactStatusRecord& record) {
        NamedMutexLock lock(statusMutex);
        std::memcpy(status.Data(), &record, sizeof record);
    }
    NamedMutex statusMutex;
    SharedMapping status;
    NamedMutex ambientMutex;
    SharedMapping ambient;
};

TEST_F(MonitorIntegration, AMatchingStampReadsBackOnlyFirmwareAndProfile) {
    AgreeOnStamp();
    StartAll();
    // Start-up: firmware check and stamp check; 200 ms later the job: the
    // firmware and the active profile, then the host state.
    EXPECT_EQ(Reports("get"), (std::vector<std::string>{"0F", "14", "0F", "05"}));
    EXPECT_EQ(Reports("set"), (std::vector<std::string>{"15"}));
    EXPECT_NE(Config().find("Device=1"), std::string::npos);
    EXPECT_NE(Config().find("FWVersion=115"), std::string::npos);
    EXPECT_TRUE(Eventually([&] { return Started("KelmOSD"); }));
    EXPECT_FALSE(Started("FlashPack/KelmFlash"));
}

TEST_F(MonitorIntegration, ExitDuringAFullReadBackTellsTheKeyboardAndEnds) {
    StartEmu();  // stamps differ: everything is read back
    monitor = StartMonitor();
    ASSERT_TRUE(Eventually([&] { return Log().find("get 07") != std::string::npos; }, 5000)) << MonitorOutput();
    EXPECT_EQ(StopMonitor(monitor), 0);
    const std::string log = Log();
    const std::size_t lastSet = log.rfind("\nset ");
    ASSERT_NE(lastSet, std::string::npos);
    EXPECT_EQ(log.substr(lastSet + 1, 24), "set 15 3 accepted 150300") << log;
    EXPECT_EQ(log.find("150301"), std::string::npos);
    EXPECT_EQ(Dump()["HostState"], 0);
    EXPECT_NE(MonitorOutput().find("DeviceWorkerThread: job 2 ended (aborted)"), std::string::npos);
    // The read-back was cut short: nothing was saved.
    EXPECT_FALSE(std::filesystem::exists(home + "/config/Default0.vkp"));
    EXPECT_FALSE(SharedMapping::Open(kSettingsBlockName, sizeof(SettingsRecord)));
    EXPECT_FALSE(FindWindow(kMonitorTitle));
}

TEST_F(MonitorIntegration, UnplugDuringTheReadBackEndsTheJobAndClosesKelmSetup) {
    StartEmu();
    PeerWindow setup{std::string(kSetupTitle)};
    ASSERT_TRUE(setup);
    monitor = StartMonitor();
    ASSERT_TRUE(Eventually([&] { return Log().find("get 07") != std::string::npos; }, 5000)) << MonitorOutput();
    Ctl({"unplug"});
    const auto unplugged = std::chrono::steady_clock::now();
    ASSERT_TRUE(setup.WaitFor(WM_CLOSE));
    ASSERT_TRUE(Eventually(
        [&] { return MonitorOutput().find("DeviceWorkerThread: job 2 ended (aborted)") != std::string::npos; }));
    // Left to itself the job would go on through every report that is left,
    // 100 ms apiece; the abort ends it at its next check.
    EXPECT_LT(std::chrono::steady_clock::now() - unplugged, std::chrono::milliseconds(1000));
    EXPECT_TRUE(Eventually([&] { return Config().find("Device=0") != std::string::npos; }));
}

TEST_F(MonitorIntegration, TwoArrivalsRunTheConnectStepsOnce) {
    AgreeOnStamp();
    StartAll();
    Ctl({"unplug"});
    ASSERT_TRUE(Eventually([&] { return Config().find("Device=0") != std::string::npos; }));
    Ctl({"reset-log"});
    Ctl({"plug"});
    ASSERT_TRUE(PostMessage(kMonitorTitle, MSG_DEVICE_PRESENCE, 1, 0));
    ASSERT_TRUE(Eventually([&] { return Log().find("150301") != std::string::npos; }, 6000));
    ASSERT_EQ(SendMessage(kMonitorTitle, MSG_IGNORED_1232, 0, 0), 0);  // the window's queue is through
    EXPECT_EQ(Reports("get"), (std::vector<std::string>{"0F", "14", "0F", "05"}));
    EXPECT_NE(Config().find("Device=1"), std::string::npos);
}

TEST_F(MonitorIntegration, ApplySendsExactlyTheFlaggedReportsBeforeItsAnswer) {
    AgreeOnStamp();
    StartAll();
    auto record = block.Read();
    record->Profiles[1].LtBrightness = 4;
    record->Flags.LightChanged[1] = 1;
    record->Profiles[0].Keys[36].FunctionCode = 0xC1;  // F1: Calculator
    record->Flags.KeyChanged[0][36] = 1;
    record->Flags.ModifyKeyChanged[2] = 2;  // not exactly 1: not sent
    block.Write(*record);
    Ctl({"reset-log"});

    EXPECT_EQ(SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, 0, 0), 1);
    EXPECT_EQ(Reports("set"), (std::vector<std::string>{"08", "10", "14"}));
    const auto dump = Dump();
    EXPECT_EQ(dump["Profiles"][1]["LtBrightness"], 4);
    EXPECT_EQ(dump["Profiles"][0]["Keys"][36]["FunctionCode"], 0xC1);
}

// The longest answer of the monitor's window to a message sent every 20 ms
// while busy() holds, and how many were sent.
std::pair<std::chrono::milliseconds, int> LongestAnswer(const std::function<bool()>& busy) {
    std::chrono::steady_clock::duration longest{};
    int sent = 0;
    while (busy()) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(SendMessage(kMonitorTitle, MSG_IGNORED_1232, 0, 0), 0);
        longest = std::max(longest, std::chrono::steady_clock::now() - start);
        ++sent;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(longest);
    std::printf("longest answer while busy: %lld ms of %d messages\n", static_cast<long long>(ms.count()), sent);
    return {ms, sent};
}

TEST_F(MonitorIntegration, AnApplyDuringTheFirstReadBackWinsAndTheWindowKeepsAnswering) {
    StartEmu();  // no stamp in common: everything is read back, about ten seconds
    monitor = StartMonitor();
    ASSERT_TRUE(Eventually([] { return FindWindow(kMonitorTitle); }, 5000)) << MonitorOutput();
    ASSERT_TRUE(Eventually([&] { return block.Open(); }, 5000));
    ASSERT_TRUE(Eventually([&] { return Reports("get").size() > 4; }, 5000)) << Log();

    auto record = block.Read();
    ASSERT_NE(record->Profiles[1].LtBrightness, 1);
    record->Profiles[1].LtBrightness = 1;
    record->Flags.LightChanged[1] = 1;
    block.Write(*record);
    std::atomic<bool> answered{false};
    std::optional<std::int64_t> answer;
    std::thread setup([&] {
        answer = SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, 0, 0);
        answered = true;
    });
    const auto [longest, sent] = LongestAnswer([&] { return !answered.load(); });
    setup.join();

    EXPECT_EQ(answer, 1);
    EXPECT_GT(sent, 50) << "the apply was answered before the read-back ended";
    EXPECT_LT(longest.count(), 100) << sent << " messages";
    EXPECT_EQ(Dump()["Profiles"][1]["LtBrightness"], 1);
    EXPECT_EQ(block.Read()->Profiles[1].LtBrightness, 1);
    ProfileRecord saved{};
    LoadProfile(saved, home + "/config/Default1.vkp");
    EXPECT_EQ(saved.LtBrightness, 1);
}

TEST_F(MonitorIntegration, TheWindowKeepsAnsweringWhileAMacroRecordedOnTheKeyboardIsReadBack) {
    AgreeOnStamp();
    StartAll();
    PeerWindow setup{std::string(kSetupTitle)};
    ASSERT_TRUE(setup);
    // A keyboard slow to get ready stretches the read-back over seconds.
    Ctl({"busy", "0", "300"});
    Ctl({"record", "3", "5", "0x04:1:50", "0x04:2:0"});
    const auto [longest, sent] = LongestAnswer([&] { return setup.Count(MSG_SETUP_RELOAD) == 0; });
    EXPECT_GT(sent, 5);
    EXPECT_LT(longest.count(), 100) << sent << " messages";
    EXPECT_EQ(block.Read()->Profiles[0].Keys[4].EventCount, 2);
}

TEST_F(MonitorIntegration, ReloadMessagesWriteNothingToTheKeyboard) {
    AgreeOnStamp();
    StartAll();
    auto record = block.Read();
    record->Profiles[0].LtTimeout = 7;
    record->Flags.LightChanged[0] = 1;
    block.Write(*record);
    Ctl({"reset-log"});
    for (const std::uint32_t msg : {MSG_RELOAD_SETTINGS, MSG_RELOAD_SETTINGS_AND_RATE, MSG_RELOAD_SETTINGS_ALSO})
        EXPECT_EQ(SendMessage(kMonitorTitle, msg, 0, 0), 0);
    EXPECT_TRUE(Reports("set").empty());
    EXPECT_TRUE(Reports("get").empty());
}

TEST_F(MonitorIntegration, AProfileChangeOnTheKeyboardReachesTheBlockAndKelmSetup) {
    AgreeOnStamp();
    StartAll();
    PeerWindow setup{std::string(kSetupTitle)};
    ASSERT_TRUE(setup);
    Ctl({"reset-log"});
    Ctl({"profile", "3"});
    ASSERT_TRUE(setup.WaitFor(MSG_SETUP_PROFILE_CHANGED));
    EXPECT_EQ(block.Read()->CurrentProfile, 2);
    EXPECT_NE(Config().find("CurrentProfile=2"), std::string::npos);
    Ctl({"brightness", "2"});
    ASSERT_TRUE(setup.WaitFor(MSG_SETUP_BRIGHTNESS_CHANGED));
    EXPECT_EQ(block.Read()->Profiles[2].LtBrightness, 1);
    // The keyboard made both changes itself: nothing goes back.
    EXPECT_TRUE(Reports("set").empty());
}

TEST_F(MonitorIntegration, ASecondStartWithOneMakesTheRunningMonitorStartKelmSetup) {
    AgreeOnStamp();
    StartAll();
    const pid_t second = StartMonitor({"1"});
    ASSERT_GT(second, 0);
    EXPECT_EQ(WaitExit(second, 5000), 0);
    monitors.pop_back();
    EXPECT_TRUE(Eventually([&] { return Started("KelmSetup"); }));
    // The running monitor is the one that is still there.
    EXPECT_EQ(SendMessage(kMonitorTitle, MSG_ANSWERS_TRUE_1327, 0, 0), 1);

    // With KelmSetup's window open it is asked to come to the front instead.
    PeerWindow setup{std::string(kSetupTitle)};
    ASSERT_TRUE(PostMessage(kMonitorTitle, WM_COMMAND, ID_CONFIGURATION, 0));
    EXPECT_TRUE(setup.WaitFor(RegisterWindowMessage(kActivateWindowMessage)));
}

TEST_F(MonitorIntegration, PactRecordsGoOutAndComeBack) {
    AgreeOnStamp();
    StartAll();
    PactMonitorObjects pactObjects;
    PeerWindow pactWindow{std::string(kPactMonitorTitle)};
    ASSERT_TRUE(pactWindow);
    EXPECT_EQ(SendMessage(kMonitorTitle, RegisterWindowMessage(kPactMonitorStatusChange), 0, 1), 0);

    // M2 becomes "Steadix #2" for the mouse, on both sides.
    auto record = block.Read();
    record->Profiles[0].Keys[1].FunctionCode = 0xF8;
    record->Profiles[0].Keys[1].TargetDevice = static_cast<std::int32_t>(kPactCompanionMouse);
    record->Flags.KeyChanged[0][1] = 1;
    block.Write(*record);
    ASSERT_EQ(SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, 0, 0), 1);
    const std::uint32_t toPact = RegisterWindowMessage(kPactActiveStatusToPact);
    ASSERT_TRUE(pactWindow.WaitFor(toPact));  // the apply resets every device
    EXPECT_EQ(pactObjects.Read(), (PactStatusRecord{0x0201, 0xFFFF, 0, 0, 0}));

    Ctl({"press", "2"});
    ASSERT_TRUE(Eventually([&] { return pactWindow.Count(toPact) == 2; }));
    EXPECT_EQ(pactObjects.Read(), (PactStatusRecord{0x0201, 0x0101, 255, 255, 2}));
    Ctl({"release", "2"});
    ASSERT_TRUE(Eventually([&] { return pactWindow.Count(toPact) == 3; }));
    EXPECT_EQ(pactObjects.Read(), (PactStatusRecord{0x0201, 0x0101, 255, 255, 0}));

    // Another device's record for this keyboard reaches it; the monitor's
    // own record does not.
    Ctl({"reset-log"});
    const std::uint32_t fromPact = RegisterWindowMessage(kPactActiveStatusFromPact);
    pactObjects.Write({0x0201, 0xFFFF, 1, 1, 255});
    EXPECT_EQ(SendMessage(kMonitorTitle, fromPact, 0, 0), 0);
    EXPECT_TRUE(Reports("set").empty());
    pactObjects.Write({0x0101, 0x0201, 1, 0, 255});
    EXPECT_EQ(SendMessage(kMonitorTitle, fromPact, 0, 0), 0);
    EXPECT_TRUE(Eventually([&] { return Reports("set") == std::vector<std::string>{"16"}; })) << Log();
    EXPECT_EQ(Dump()["PactRelay"], "16100100000000000000000000000000");

    // The Pact monitor's device status follows the keyboard.
    const std::uint32_t deviceStatus = RegisterWindowMessage(kPactDeviceStatusToMonitor);
    Ctl({"unplug"});
    ASSERT_TRUE(pactWindow.WaitFor(deviceStatus));
    const IniFile pconfig((folder / "data") + "/VELDAN/Pact/PConfig.ini");
    EXPECT_EQ(pconfig.ReadInt("Kelm", "Device", -1), 2);
}

// ---- what other programs can and cannot do to the monitor ----

// A connection to an endpoint that sends whatever the test writes; -1 when
// the endpoint refuses it.
int ConnectRaw(const std::string& path) {
    SocketAddress address;
    if (!MakeSocketAddress(path, address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, address.Get(), address.length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST_F(MonitorIntegration, MalformedFramesAndOddCopyDataLeaveTheMonitorWorking) {
    AgreeOnStamp();
    StartAll();
    const std::string path = EndpointPath(kMonitorTitle);
    for (const std::string& garbage : {std::string(40, '\xFF'), std::string("KWM1"), std::string(200, '\0')}) {
        const int fd = ConnectRaw(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::send(fd, garbage.data(), garbage.size(), MSG_NOSIGNAL), static_cast<ssize_t>(garbage.size()));
        ::close(fd);
    }
    for (const std::size_t size : {0u, 150u, 151u, 152u, 65536u}) {
        std::string data(size, 'A');
        EXPECT_EQ(SendCopyData(kMonitorTitle, 0, data), 1) << size;
    }
    EXPECT_EQ(SendMessage(kMonitorTitle, WM_DEVICECHANGE, 0, 0), 1);
    EXPECT_EQ(SendMessage(kMonitorTitle, 0x7FFF, 0, 0), 0);
}

TEST_F(MonitorIntegration, AnotherUserCannotReachTheWindowOrTheBlock) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a child as another user";
    AgreeOnStamp();
    StartAll();
    const std::string endpoint = EndpointPath(kMonitorTitle);
    const std::string blockFile = SharedObjectPath(kSettingsBlockName);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(9);
        int reached = 0;
        const int fd = ConnectRaw(endpoint);
        if (fd >= 0) reached |= 1;
        if (::open(blockFile.c_str(), O_RDWR) >= 0) reached |= 2;
        ::_exit(reached);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(MonitorIntegration, AnOutdatedKeyboardStartsKelmFlashInsteadOfKelmSetup) {
    AgreeOnStamp();
    WriteFile(home + "/FlashPack/config.ini", "[Firmware]\r\nVersion=116\r\n");
    StartEmu();
    monitor = StartMonitor({"1"});
    ASSERT_TRUE(Eventually([&] { return Started("FlashPack/KelmFlash"); }));
    EXPECT_EQ(ReadFile(home + "/FlashPack/KelmFlash.started"), "1\n");
    ASSERT_TRUE(Eventually([&] { return Started("KelmOSD"); }));
    EXPECT_FALSE(Started("KelmSetup"));
}

}  // namespace
}  // namespace kelm::test
