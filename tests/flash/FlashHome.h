// A temporary installation for KelmFlash, shared by the tests of the program
// and of its window: the program folder with the device library, a stand-in
// KelmWatch that notes each start, the firmware package, and the software
// keyboard on a socket of its own.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "keyboard/FirmwareUpdate.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {

class FlashHome {
protected:
    // Lays out the folder and points KELM_HOME, KELM_DEVICE and
    // XDG_RUNTIME_DIR at it.
    void PrepareHome() {
        ::mkdir(runtime.c_str(), 0700);
        std::filesystem::create_directories(home + "/FlashPack");
        std::filesystem::create_symlink(ProgramFolder() + "/libdevbridge.so", home + "/libdevbridge.so");
        // A test that needs the real monitor links it instead.
        WriteFile(home + "/KelmWatch", "#!/bin/sh\necho started >> \"" + home + "/KelmWatch.started\"\n");
        ::chmod((home + "/KelmWatch").c_str(), 0700);
        WritePackage("Name=fw.bin\r\nVersion=120\r\n");
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("KELM_HOME", home.c_str(), 1);
        ::setenv("KELM_DEVICE", ("emu:" + socket).c_str(), 1);
    }
    // Stops the keyboard and takes back what PrepareHome set.
    void LeaveHome() {
        if (emuPid > 0) {
            ::kill(emuPid, SIGTERM);
            WaitExit(emuPid, 5000);
            emuPid = -1;
        }
        for (const char* name : {"XDG_RUNTIME_DIR", "KELM_HOME", "KELM_DEVICE"}) ::unsetenv(name);
    }

    void StartEmu() {
        emuPid = Spawn({ProgramPath("KelmEmu"), "--socket", socket}, folder / "emu.out");
        ASSERT_GT(emuPid, 0);
        ASSERT_TRUE(WaitForSocket(socket));
    }

    void WritePackage(const std::string& firmwareKeys) {
        WriteFile(home + "/FlashPack/config.ini", "[Firmware]\r\n" + firmwareKeys);
    }
    void WriteImage(std::size_t size, std::optional<std::uint8_t> version) {
        const std::vector<std::uint8_t> image = MakeTestImage(size, version);
        WriteFile(home + "/FlashPack/fw.bin", std::string(image.begin(), image.end()));
    }

    // What `KelmEmu ctl WORDS...` prints.
    std::string Ctl(const std::vector<std::string>& words) {
        std::vector<std::string> argv = {ProgramPath("KelmEmu"), "ctl", "--socket", socket};
        argv.insert(argv.end(), words.begin(), words.end());
        const pid_t pid = Spawn(argv, folder / "ctl.out");
        EXPECT_EQ(WaitExit(pid, 5000), 0) << ReadFile(folder / "ctl.out");
        return ReadFile(folder / "ctl.out");
    }
    bool MonitorStarted() { return Exists(home + "/KelmWatch.started"); }

    TempFolder folder;
    const std::string runtime = folder / "run";
    const std::string home = folder / "program";
    const std::string socket = folder / "emu.sock";
    pid_t emuPid = -1;
};

}  // namespace kelm::test
