// A test against the real software keyboard through the real device
// library, both from the program folder: KelmEmu started in a throw-away
// folder with its own runtime folder, socket and state file, and
// libdevbridge.so loaded with KELM_DEVICE naming that socket.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/DeviceLibrary.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {

struct CtlResult {
    int rc;
    std::string output;
};

class KelmEmuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::mkdir(runtime_.c_str(), 0700), 0);
        ASSERT_NO_FATAL_FAILURE(StartEmu());
        std::string error;
        library = DeviceLibrary::Load(ProgramFolder(), &error);
        ASSERT_TRUE(library) << error;
    }

    // The library stops posting and calling before KelmEmu goes.
    void TearDown() override {
        library.CloseDevMonitor();
        library.CloseFeatureDevice();
        StopEmu();
    }

    static std::string EmuProgram() { return ProgramPath("KelmEmu"); }

    void StartEmu(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {EmuProgram(), "--state", state, "--socket", socket};
        args.insert(args.end(), extra.begin(), extra.end());
        emu_ = Spawn(args, folder / "emu.log");
        ASSERT_GT(emu_, 0);
        ASSERT_TRUE(WaitForSocket(socket)) << ReadFile(folder / "emu.log");
    }

    void StopEmu() {
        if (emu_ <= 0) return;
        ::kill(emu_, SIGTERM);
        EXPECT_EQ(WaitExit(emu_, 5000), 0) << ReadFile(folder / "emu.log");
        emu_ = -1;
    }

    // `KelmEmu ctl words...` against this test's KelmEmu.
    CtlResult Ctl(const std::vector<std::string>& words) {
        std::vector<std::string> args = {EmuProgram(), "ctl", "--socket", socket};
        args.insert(args.end(), words.begin(), words.end());
        const pid_t pid = Spawn(args, folder / "ctl.out");
        const int rc = pid > 0 ? WaitExit(pid, 10000) : -1;
        return {rc, ReadFile(folder / "ctl.out")};
    }

    TempFolder folder;
    const std::string socket = folder / "emu.sock";
    const std::string state = folder / "state.ini";
    DeviceLibrary library;

private:
    const std::string runtime_ = folder / "run";
    ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.c_str()};
    ScopedEnv deviceEnv_{"KELM_DEVICE", ("emu:" + socket).c_str()};
    ScopedEnv homeEnv_{"KELM_HOME", nullptr};
    pid_t emu_ = -1;
};

}  // namespace kelm::test
