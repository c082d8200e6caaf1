// A test against the real software keyboard through the real device
// library: KelmEmu started in a throw-away folder with its own runtime
// folder, socket and state file, and libdevbridge.so loaded from the program
// folder with KELM_DEVICE naming that socket. The keyboard sequences run on
// a virtual clock unless a test asks for the real one.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/protocol/KeyboardProtocol.h"
#include "monitor/protocol/SettingsReports.h"
#include "platform/DeviceLibrary.h"
#include "settings/Defaults.h"
#include "tests/emulator/EmuProcess.h"
#include "tests/emulator/TempFolder.h"
#include "tests/keyboard/PreparedProfiles.h"
#include "tests/settings/TestFolder.h"
#include "tools/kelmctl/Json.h"
#include "tools/kelmctl/MemorySettingsFiles.h"

namespace kelm::keyboard_test {

using emu::test::EmuProgram;
using emu::test::ProgramFolder;
using emu::test::ReadText;

struct CtlResult {
    int rc;
    std::string output;
};

// Macros among the prepared profiles.
inline constexpr int kPreparedMacros = 10;

// What a full read-back waits against a keyboard that is ready at once: the
// pauses after the firmware and profile reads; for each of the 40 settings
// reports and each macro the first wait of the select's poll and the pause
// after the read; a pause after each profile's macros; the poll after the
// stamp write when there is one.
inline std::int64_t PrescribedReadBackMs(int macros, bool stampWritten) {
    return 2 * 100 + (40 + macros) * 200 + kProfileCount * 100 + (stampWritten ? 200 : 0);
}

// As the dump shows a stamp: 32 upper-case hex digits.
inline std::string StampHex(const SyncStamp& stamp) {
    std::string hex;
    char digits[3];
    for (std::uint8_t byte : stamp) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
    }
    return hex;
}

inline std::unique_ptr<SettingsRecord> FactoryRecord() {
    auto record = std::make_unique<SettingsRecord>();
    DefaultSettings(*record);
    ClearChangeFlags(*record);
    return record;
}

class EmuKeyboardSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::mkdir(runtime_.c_str(), 0700), 0);
        StartEmu();
        std::string error;
        library = DeviceLibrary::Load(ProgramFolder(), &error);
        ASSERT_TRUE(library) << error;
        ASSERT_EQ(library.OpenFeatureDevice(), 1);
    }

    void TearDown() override {
        library.CloseFeatureDevice();
        StopEmu();
    }

    void StartEmu(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {EmuProgram(), "--state", state, "--socket", socket};
        args.insert(args.end(), extra.begin(), extra.end());
        emu_ = emu::test::Spawn(args, folder / "emu.log");
        ASSERT_GT(emu_, 0);
        ASSERT_TRUE(emu::test::WaitForSocket(socket)) << ReadText(folder / "emu.log");
    }

    void StopEmu() {
        if (emu_ <= 0) return;
        ::kill(emu_, SIGTERM);
        EXPECT_EQ(emu::test::WaitExit(emu_, 5000), 0) << ReadText(folder / "emu.log");
        emu_ = -1;
    }

    CtlResult Ctl(const std::vector<std::string>& words) {
        std::vector<std::string> args = {EmuProgram(), "ctl", "--socket", socket};
        args.insert(args.end(), words.begin(), words.end());
        const pid_t pid = emu::test::Spawn(args, folder / "ctl.out");
        const int rc = pid > 0 ? emu::test::WaitExit(pid, 10000) : -1;
        return {rc, ReadText(folder / "ctl.out")};
    }

    // `KelmEmu ctl dump`, parsed.
    ctl::Json Dump() {
        const CtlResult dump = Ctl({"dump"});
        EXPECT_EQ(dump.rc, 0) << dump.output;
        return ctl::Json::parse(dump.output, nullptr, false);
    }

    // The lines of `KelmEmu ctl log` that start with prefix ("set", "get 0E").
    std::vector<std::string> Log(const std::string& prefix) {
        const CtlResult log = Ctl({"log"});
        EXPECT_EQ(log.rc, 0) << log.output;
        std::vector<std::string> lines;
        std::istringstream in(log.output);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
        return lines;
    }

    // A report written straight through the library, without the protocol's waits.
    bool Set(const ReportBytes& report) {
        return library.SetFeature(report.data(), static_cast<unsigned>(report.size())) != 0;
    }

    // Puts a whole profile on the keyboard: its eight settings reports and
    // the macros of its macro keys.
    void WriteProfile(int slot, const ProfileRecord& profile) {
        const auto number = static_cast<std::uint8_t>(slot);
        for (const SettingsReportStep& step : kSettingsReports)
            ASSERT_TRUE(Set(BuildSettingsReport(step.id, number, profile)));
        for (int key = 0; key < kMacroCapableKeys; ++key) {
            if (profile.Keys[key].FunctionCode != kFnMacro) continue;
            ASSERT_TRUE(Set(BuildMacroReport({number, static_cast<std::uint8_t>(key)}, profile.Keys[key])));
        }
        for (const std::string& line : Log("set")) ASSERT_EQ(line.find("refused"), std::string::npos) << line;
    }

    // The five prepared profiles on the keyboard, profile 4 (slot 3) active,
    // and an empty log.
    void PrepareKeyboard() {
        const auto profile = std::make_unique<ProfileRecord>();
        for (int slot = 0; slot < kProfileCount; ++slot) {
            PrepareProfile(*profile, slot);
            ASSERT_NO_FATAL_FAILURE(WriteProfile(slot, *profile));
        }
        ASSERT_TRUE(Set(BuildProfileReport(3)));
        ASSERT_EQ(Ctl({"reset-log"}).rc, 0);
    }

    emu::test::TempFolder folder;
    const std::string socket = folder / "emu.sock";
    const std::string state = folder / "state.ini";
    DeviceLibrary library;

    VirtualClock clock;
    std::atomic<bool> abort{false};
    std::unique_ptr<SettingsRecord> record = FactoryRecord();
    ctl::MemorySettingsFiles files;
    DevBridgeFeatureDevice device{
        [this](const unsigned char* report, unsigned length) { return library.SetFeature(report, length); },
        [this](unsigned char* report, unsigned length) { return library.GetFeature(report, length); }};
    KeyboardProtocol protocol{device, clock, abort, *record, {files}};

private:
    const std::string runtime_ = folder / "run";
    test::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.c_str()};
    test::ScopedEnv deviceEnv_{"KELM_DEVICE", ("emu:" + socket).c_str()};
    test::ScopedEnv homeEnv_{"KELM_HOME", nullptr};
    pid_t emu_ = -1;
};

}  // namespace kelm::keyboard_test
