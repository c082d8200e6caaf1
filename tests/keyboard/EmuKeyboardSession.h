// The keyboard sequences against the real KelmEmu through the real device
// library, its feature device open. The sequences run on a virtual clock
// unless a test asks for the real one.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "keyboard/KeyboardProtocol.h"
#include "settings/Defaults.h"
#include "tests/support/KelmEmuTest.h"
#include "tests/support/PreparedProfiles.h"
#include "settings/json/Json.h"
#include "tools/kelmctl/MemorySettingsFiles.h"

namespace kelm::keyboard_test {

using test::CtlResult;
using test::kPreparedMacros;
using test::PrepareProfile;
using test::ProgramFolder;
using test::SetMacro;

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

class EmuKeyboardSession : public test::KelmEmuTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(KelmEmuTest::SetUp());
        ASSERT_EQ(library.OpenFeatureDevice(), 1);
    }

    // `KelmEmu ctl dump`, parsed.
    json::Json Dump() {
        const CtlResult dump = Ctl({"dump"});
        EXPECT_EQ(dump.rc, 0) << dump.output;
        return json::Json::parse(dump.output, nullptr, false);
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
    bool Set(const ReportBytes& report) { return test::SetFeature(library, report); }

    // The five prepared profiles on the keyboard, profile 4 (slot 3) active,
    // and an empty log.
    void PrepareKeyboard() {
        ASSERT_TRUE(test::WritePreparedProfiles(library));
        for (const std::string& line : Log("set")) ASSERT_EQ(line.find("refused"), std::string::npos) << line;
        ASSERT_EQ(Ctl({"reset-log"}).rc, 0);
    }

    VirtualClock clock;
    std::atomic<bool> abort{false};
    std::unique_ptr<SettingsRecord> record = FactoryRecord();
    ctl::MemorySettingsFiles files;
    DevBridgeFeatureDevice device{
        [this](const unsigned char* report, unsigned length) { return library.SetFeature(report, length); },
        [this](unsigned char* report, unsigned length) { return library.GetFeature(report, length); }};
    KeyboardProtocol protocol{device, clock, abort, *record, {files}};
};

}  // namespace kelm::keyboard_test
