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

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "Eventually.h"
#include "PeerWindow.h"
#include "monitor/MonitorIds.h"
#include "monitor/PactRecords.h"
#include "platform/NamedMutex.h"
#include "platform/ObjectPaths.h"
#include "platform/SharedMapping.h"
#include "platform/SocketAddress.h"
#include "platform/WindowClient.h"
#include "settings/ConfigFile.h"
#include "settings/IniFile.h"
#include "settings/SettingsRecord.h"
#include "settings/StructCodec.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

// What KelmSetup does with the shared block: whole copies under its mutex.
class SettingsBlockView {
public:
    bool Open() {
        mutex_ = NamedMutex::Open(kSettingsBlockMutexName);
        block_ = SharedMapping::Open(kSettingsBlockName, sizeof(SettingsRecord));
        return mutex_ && block_;
    }
    std::unique_ptr<SettingsRecord> Read() {
        auto record = std::make_unique<SettingsRecord>();
        NamedMutexLock lock(mutex_);
        std::memcpy(record.get(), block_.Data(), sizeof(SettingsRecord));
        return record;
    }
    void Write(const SettingsRecord& record) {
        NamedMutexLock lock(mutex_);
        std::memcpy(block_.Data(), &record, sizeof record);
    }

private:
    NamedMutex mutex_;
    SharedMapping block_;
};

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

class MonitorIntegration : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string bin = ProgramFolder();
        ASSERT_TRUE(std::filesystem::exists(bin + "/KelmWatch")) << bin;
        ::mkdir(runtime.c_str(), 0700);
        std::filesystem::create_directories(home + "/config");
        std::filesystem::create_directories(home + "/FlashPack");
        std::filesystem::create_symlink(bin + "/libdevbridge.so", home + "/libdevbridge.so");
        WriteFile(home + "/FlashPack/config.ini", "[Firmware]\r\nVersion=115\r\n");
        // Stand-ins for the programs the monitor starts: each notes its start.
        for (const char* program : {"KelmSetup", "KelmOSD", "FlashPack/KelmFlash"}) {
            const std::string path = home + "/" + program;
            WriteFile(path, "#!/bin/sh\necho \"$@\" >> \"" + path + ".started\"\n");
            ::chmod(path.c_str(), 0700);
        }
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        ::setenv("KELM_HOME", home.c_str(), 1);
        ::setenv("KELM_DEVICE", ("emu:" + socket).c_str(), 1);
        ::setenv("KELM_DEBUG", "1", 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
    }

    void TearDown() override {
        // Every monitor still running ends cleanly when asked: no crash, no
        // sanitizer report, no leak.
        while (!monitors.empty()) {
            const pid_t pid = monitors.front();
            const std::string output = outputs[pid];
            EXPECT_EQ(StopMonitor(pid), 0) << ReadFile(output);
        }
        if (emuPid > 0) {
            ::kill(emuPid, SIGTERM);
            WaitExit(emuPid, 5000);
        }
        for (const char* name :
             {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "KELM_HOME", "KELM_DEVICE", "KELM_DEBUG"})
            ::unsetenv(name);
    }

    // The keyboard and the files agree, so start-up reads back only the
    // firmware version and the active profile.
    void AgreeOnStamp() {
        const SyncStamp stamp = MakeSyncStamp(1'700'000'000);
        WriteFile(state, "[Keyboard]\r\nSyncStamp=" + EncodeStruct(stamp.data(), stamp.size()) + "\r\n");
        ASSERT_TRUE(WriteSyncStamp(StoreLocation::ForProgramFolder(home), stamp));
    }

    void StartEmu() {
        emuPid = Spawn({ProgramPath("KelmEmu"), "--state", state, "--socket", socket}, folder / "emu.out");
        ASSERT_GT(emuPid, 0);
        ASSERT_TRUE(WaitForSocket(socket));
    }

    pid_t StartMonitor(const std::vector<std::string>& args = {}) {
        std::vector<std::string> argv = {ProgramPath("KelmWatch")};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string output = folder / ("watch" + std::to_string(outputs.size()) + ".out");
        const pid_t pid = Spawn(argv, output);
        if (pid > 0) {
            monitors.push_back(pid);
            outputs[pid] = output;
        }
        return pid;
    }

    // Started, its window answering, and the keyboard's start-up read-back
    // done (the host state 1 at its end).
    void StartAll() {
        StartEmu();
        monitor = StartMonitor();
        ASSERT_GT(monitor, 0);
        ASSERT_TRUE(Eventually([] { return FindWindow(kMonitorTitle); }, 5000)) << MonitorOutput();
        ASSERT_TRUE(Eventually([&] { return Log().find("set 15 3 accepted 150301") != std::string::npos; }, 15000))
            << Log();
        ASSERT_TRUE(block.Open());
    }

    // Sends SIGTERM; the exit status, or -1 when it did not end in time.
    int StopMonitor(pid_t pid) {
        ::kill(pid, SIGTERM);
        const int status = WaitExit(pid, 10000);
        if (status < 0) {
            ::kill(pid, SIGKILL);
            WaitExit(pid, 2000);
        }
        monitors.erase(std::remove(monitors.begin(), monitors.end(), pid), monitors.end());
        return status;
    }

    std::string Ctl(const std::vector<std::string>& words) {
        std::vector<std::string> argv = {ProgramPath("KelmEmu"), "ctl", "--socket", socket};
        argv.insert(argv.end(), words.begin(), words.end());
        const std::string out = folder / "ctl.out";
        const pid_t pid = Spawn(argv, out);
        EXPECT_EQ(WaitExit(pid, 5000), 0) << ReadFile(out);
        return ReadFile(out);
    }
    std::string Log() { return Ctl({"log"}); }
    nlohmann::json Dump() { return nlohmann::json::parse(Ctl({"dump"})); }
    // The ids of the reports written (set) or read (get) since the last
    // reset of the log, in order, status and select traffic left out.
    std::vector<std::string> Reports(const std::string& direction) {
        std::vector<std::string> ids;
        std::istringstream lines(Log());
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string dir, id;
            words >> dir >> id;
            if (dir == direction && id != "04") ids.push_back(id);
        }
        return ids;
    }
    std::string MonitorOutput(std::size_t index = 0) {
        return ReadFile(folder / ("watch" + std::to_string(index) + ".out"));
    }
    std::string Config() { return ReadFile(home + "/config.ini"); }
    bool Started(const std::string& program) { return std::filesystem::exists(home + "/" + program + ".started"); }

    TempFolder folder;
    const std::string runtime = folder / "run";
    const std::string home = folder / "program";
    const std::string socket = folder / "emu.sock";
    const std::string state = folder / "emu.state";
    pid_t emuPid = -1;
    pid_t monitor = -1;
    std::vector<pid_t> monitors;
    std::map<pid_t, std::string> outputs;
    SettingsBlockView block;
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

TEST_F(MonitorIntegration, ApplySendsExactlyTheFlaggedReportsInsideTheCall) {
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

    EXPECT_EQ(SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, 0, 0), 0);
    EXPECT_EQ(Reports("set"), (std::vector<std::string>{"08", "10", "14"}));
    const auto dump = Dump();
    EXPECT_EQ(dump["Profiles"][1]["LtBrightness"], 4);
    EXPECT_EQ(dump["Profiles"][0]["Keys"][36]["FunctionCode"], 0xC1);
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
    ASSERT_EQ(SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, 0, 0), 0);
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
    EXPECT_EQ(Reports("set"), std::vector<std::string>{"16"});
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
