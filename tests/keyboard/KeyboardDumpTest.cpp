// kelmctl keyboard dump against the real KelmEmu: its reading in-process on
// a virtual clock, and the program itself, which waits in real time.
#include <sstream>

#include "platform/EventLoop.h"
#include "platform/NamedMutex.h"
#include "platform/WindowEndpoint.h"
#include "suite/SuiteIds.h"
#include "tests/keyboard/EmuKeyboardSession.h"
#include "tests/support/Programs.h"
#include "tools/kelmctl/KeyboardDump.h"

namespace kelm::keyboard_test {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class KeyboardDumpOnEmu : public EmuKeyboardSession {
protected:
    // What the dump must print: KelmEmu's own view of the same keyboard.
    static json::Json Expected(const json::Json& emuDump) {
        json::Json json = json::Json::object();
        json["FWVersion"] = emuDump["FWVersion"];
        json["CurrentProfile"] = emuDump["CurrentProfile"];
        json["Profiles"] = emuDump["Profiles"];
        return json;
    }
    test::ProgramResult RunDump(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"keyboard", "dump", "--home", ProgramFolder()};
        args.insert(args.end(), extra.begin(), extra.end());
        return test::RunKelmctl(args, folder.Path());
    }
    bool Read(std::ostream* progress = nullptr) {
        contents = {};
        error.clear();
        return ctl::ReadKeyboard(device, clock, progress, contents, error);
    }

    ctl::KeyboardContents contents;
    std::string error;
};

TEST_F(KeyboardDumpOnEmu, ReadsEverythingAndChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    const json::Json before = Dump();
    std::ostringstream progress;
    ASSERT_TRUE(Read(&progress)) << error;
    EXPECT_EQ(ctl::KeyboardToJson(contents), Expected(before));
    EXPECT_EQ(Dump(), before) << "the stamp, the host state and every profile stay as they were";
    const std::vector<std::string> sets = Log("set");
    EXPECT_EQ(sets.size(), static_cast<std::size_t>(40 + kPreparedMacros));
    for (const std::string& line : sets) EXPECT_TRUE(Contains(line, "set 04 3 accepted")) << "only selects: " << line;
    EXPECT_EQ(clock.SleptMs(), PrescribedReadBackMs(kPreparedMacros, false));
    const std::string lines = progress.str();
    EXPECT_TRUE(Contains(lines, "FirmwareReport: read\nProfileReport: read\nModifyKeyReport of slot 0: read\n"));
    EXPECT_TRUE(Contains(lines, "MacroReport of slot 4, key entry 30: read\n"));
    EXPECT_TRUE(Contains(lines, "read 52 reports\n"));
}

TEST_F(KeyboardDumpOnEmu, IsWholeOrNothing) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    ASSERT_EQ(Ctl({"fault", "checksum", "1"}).rc, 0);
    EXPECT_FALSE(Read());
    EXPECT_TRUE(Contains(error, "1 report(s) arrived damaged")) << error;
    EXPECT_EQ(contents.record, nullptr);

    ASSERT_EQ(Ctl({"fault", "readfail", "1"}).rc, 0);  // the firmware version
    EXPECT_FALSE(Read());
    EXPECT_TRUE(Contains(error, "firmware version")) << error;

    ASSERT_EQ(Ctl({"fault", "unplug-after", "20"}).rc, 0);
    EXPECT_FALSE(Read());
    EXPECT_TRUE(Contains(error, "transfer(s) failed (was it unplugged?)")) << error;
    EXPECT_EQ(contents.record, nullptr);
}

TEST_F(KeyboardDumpOnEmu, KelmctlPrintsWhatKelmEmuHolds) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    const json::Json before = Dump();
    // One run only: it waits what the keyboard needs, 10 s and more.
    const test::ProgramResult result = RunDump({"--verbose"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(json::Json::parse(result.out), Expected(before)) << "standard output holds the JSON alone";
    EXPECT_TRUE(Contains(result.err, "MacroReport of slot 0, key entry 0: read\n")) << result.err;
    EXPECT_TRUE(Contains(result.err, "read 52 reports\n")) << result.err;
    EXPECT_EQ(Dump(), before);
}

TEST_F(KeyboardDumpOnEmu, KelmctlRefusesWhileKelmWatchRuns) {
    auto loop = EventLoop::Create();
    ASSERT_NE(loop, nullptr);
    auto monitor = WindowEndpoint::Create(*loop, kMonitorTitle, [](const WindowMessage&) { return 0; });
    ASSERT_NE(monitor, nullptr);
    test::ProgramResult result = RunDump();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "KelmWatch is running and owns the keyboard")) << result.err;
    monitor.reset();

    // A monitor that is starting holds its instance mutex before it has a window.
    NamedMutex instance = NamedMutex::Create(kInstanceMutexName);
    ASSERT_TRUE(instance);
    result = RunDump();
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "KelmWatch is running")) << result.err;
    EXPECT_TRUE(Log("").empty()) << "the keyboard was not touched";
}

TEST_F(KeyboardDumpOnEmu, KelmctlWithoutAKeyboardSaysSo) {
    ASSERT_EQ(Ctl({"unplug"}).rc, 0);
    test::ProgramResult result = RunDump();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "no keyboard found (KELM_DEVICE=emu:" + socket + ")")) << result.err;

    StopEmu();
    result = RunDump();
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "no keyboard found")) << result.err;

    result = test::RunKelmctl({"keyboard", "dump", "--home", folder.Path()}, folder.Path());
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "cannot load " + folder.Path() + "/libdevbridge.so")) << result.err;
}

}  // namespace
}  // namespace kelm::keyboard_test
