#include "bench/MonitorRun.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/WindowClient.h"
#include "settings/ConfigFile.h"
#include "settings/StructCodec.h"
#include "suite/SuiteIds.h"
#include "tests/support/Programs.h"

namespace kelm::bench {

namespace {

constexpr int kStartPatienceMs = 15000;

template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void Stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    if (test::WaitExit(pid, 10000) < 0) {
        ::kill(pid, SIGKILL);
        test::WaitExit(pid, 2000);
    }
    pid = -1;
}

}  // namespace

std::unique_ptr<MonitorRun> MonitorRun::Start(const std::string& programFolder, std::string& error,
                                              const std::string& display) {
    std::unique_ptr<MonitorRun> run(new MonitorRun(programFolder));
    if (!run->StartPrograms(error, display)) return nullptr;
    return run;
}

bool MonitorRun::StartPrograms(std::string& error, const std::string& display) {
    const std::string home = Home();
    const std::string runtime = folder_ / "run";
    const std::string socket = EmuSocket();
    const std::string state = folder_ / "emu.state";
    std::filesystem::create_directories(home + "/config");
    ::mkdir(runtime.c_str(), 0700);
    if (!Share("libdevbridge.so")) {
        error = "cannot link libdevbridge.so into " + home;
        return false;
    }
    // The firmware package matches the keyboard: no KelmFlash is offered.
    test::WriteFile(home + "/FlashPack/config.ini", "[Firmware]\r\nVersion=115\r\n");
    const SyncStamp stamp = MakeSyncStamp(1'700'000'000);
    test::WriteFile(state, "[Keyboard]\r\nSyncStamp=" + EncodeStruct(stamp.data(), stamp.size()) + "\r\n");
    if (!WriteSyncStamp(StoreLocation::ForProgramFolder(home), stamp)) {
        error = "cannot write " + home + "/config.ini";
        return false;
    }
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    ::setenv("KELM_HOME", home.c_str(), 1);
    ::setenv("KELM_DEVICE", ("emu:" + socket).c_str(), 1);
    ::unsetenv("KELM_DEBUG");
    if (display.empty())
        ::unsetenv("DISPLAY");
    else
        ::setenv("DISPLAY", display.c_str(), 1);
    ::unsetenv("WAYLAND_DISPLAY");

    emu_ = test::Spawn({programFolder_ + "/KelmEmu", "--state", state, "--socket", socket}, folder_ / "emu.log");
    if (emu_ <= 0 || !test::WaitForSocket(socket)) {
        error = "KelmEmu did not start: " + test::ReadFile(folder_ / "emu.log");
        return false;
    }
    monitor_ = SpawnAlike({programFolder_ + "/KelmWatch"}, "watch.log");
    if (monitor_ <= 0 || !WaitUntil([] { return FindWindow(kMonitorTitle); }, kStartPatienceMs)) {
        error = "KelmWatch did not start: " + test::ReadFile(folder_ / "watch.log");
        return false;
    }
    // The host state 1 ends the start-up read-back.
    if (!WaitUntil([this] { return Ctl({"log"}).find("set 15 3 accepted 150301") != std::string::npos; },
                   kStartPatienceMs)) {
        error = "KelmWatch did not finish its start-up read-back: " + Ctl({"log"});
        return false;
    }
    return true;
}

MonitorRun::~MonitorRun() {
    Stop(monitor_);
    Stop(emu_);
}

std::string MonitorRun::Ctl(const std::vector<std::string>& words) {
    std::vector<std::string> args = {programFolder_ + "/KelmEmu", "ctl", "--socket", folder_ / "emu.sock"};
    args.insert(args.end(), words.begin(), words.end());
    const std::string out = folder_ / "ctl.out";
    const pid_t pid = test::Spawn(args, out, folder_ / "ctl.err");
    if (pid <= 0 || test::WaitExit(pid, 10000) != 0) return "";
    return test::ReadFile(out);
}

bool MonitorRun::Share(const std::string& name) {
    std::error_code failed;
    std::filesystem::create_symlink(programFolder_ + "/" + name, Home() + "/" + name, failed);
    return !failed;
}

pid_t MonitorRun::SpawnAlike(const std::vector<std::string>& args, const std::string& outputName) {
    return test::Spawn(args, folder_ / outputName);
}

}  // namespace kelm::bench
