// The real KelmWatch against the real KelmEmu, through the real
// libdevbridge.so, in a temporary program folder and runtime folder: the
// fixture the integration tests share, with the shared block seen the way
// KelmSetup sees it.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "Eventually.h"
#include "monitor/MonitorIds.h"
#include "platform/NamedMutex.h"
#include "platform/SharedMapping.h"
#include "platform/WindowClient.h"
#include "settings/ConfigFile.h"
#include "settings/SettingsRecord.h"
#include "settings/StructCodec.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {

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
    // The stand-in's note is made before its line is written: a program has
    // started once the line is there.
    bool Started(const std::string& program) { return !ReadFile(home + "/" + program + ".started").empty(); }

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

}  // namespace kelm::test
