// The real KelmFlash --no-gui against the real KelmEmu through the real
// libdevbridge.so, in a temporary program folder: whole updates, the faults
// of the update mode at the first, a middle and the last block, images and
// packages it must refuse, and KelmWatch closed before and started again
// only after success; and the real program with its window (offscreen) as
// a process: a second one ends at once, and a stop signal is no answer to
// its confirmation and never cuts its pass short. Images are mostly 3
// blocks, so the real waits (at least 100 ms per status poll) keep each
// pass near 3.5 s.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "flash/FlashIds.h"
#include "keyboard/FirmwareUpdate.h"
#include "platform/NamedMutex.h"
#include "platform/WindowClient.h"
#include "suite/SuiteIds.h"
#include "tests/flash/FlashHome.h"
#include "tests/monitor/Eventually.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

constexpr int kFlashTimeoutMs = 60000;

class FlashIntegration : public ::testing::Test, protected FlashHome {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(ProgramPath("FlashPack/KelmFlash")));
        PrepareHome();
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
    }

    void TearDown() override {
        // A monitor KelmFlash started is no child of ours: it is asked to end
        // and watched until its instance mutex is free.
        if (FindWindow(kMonitorTitle)) PostMessage(kMonitorTitle, WM_CLOSE, 0, 0);
        EXPECT_TRUE(
            Eventually([] { return !FindWindow(kMonitorTitle) && !NamedMutex::Open(kInstanceMutexName); }, 10000));
        LeaveHome();
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) ::unsetenv(name);
    }

    ProgramResult Flash(const std::vector<std::string>& args = {"--no-gui"}) {
        std::vector<std::string> argv = {ProgramPath("FlashPack/KelmFlash")};
        argv.insert(argv.end(), args.begin(), args.end());
        const pid_t pid = Spawn(argv, folder / "flash.out", folder / "flash.err");
        ProgramResult result;
        result.status = WaitExit(pid, kFlashTimeoutMs);
        if (result.status < 0) ::kill(pid, SIGKILL);
        result.out = ReadFile(folder / "flash.out");
        result.err = ReadFile(folder / "flash.err");
        return result;
    }

    nlohmann::json Dump() { return nlohmann::json::parse(Ctl({"dump"})); }
    // The update commands the keyboard received, by command byte, in order.
    std::vector<std::string> UpdateCommands() {
        std::vector<std::string> commands;
        std::istringstream lines(Ctl({"log"}));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("set 1B 1026 ", 0) == 0) commands.push_back(line.substr(line.rfind(' ') + 3, 2));
        return commands;
    }
};

TEST_F(FlashIntegration, AGeneratedImageUpdatesTheKeyboardInThePrescribedOrderAndKelmWatchIsStartedAgain) {
    const ProgramResult made = RunKelmctl(
        {"firmware", "make-image", home + "/FlashPack/fw.bin", "--size", "2049", "--version", "120"}, folder.Path());
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    EXPECT_EQ(Dump()["FWVersion"], 115);

    const ProgramResult flash = Flash();
    ASSERT_EQ(flash.status, 0) << flash.out << flash.err;
    EXPECT_NE(flash.out.find("DFU V1.03\nblock 1/3\nblock 2/3\nblock 3/3\n"), std::string::npos) << flash.out;
    EXPECT_NE(flash.out.find("update succeeded"), std::string::npos) << flash.out;
    const nlohmann::json dump = Dump();
    EXPECT_EQ(dump["FWVersion"], 120);
    EXPECT_EQ(dump["UpdateMode"], false);
    EXPECT_EQ(UpdateCommands(), (std::vector<std::string>{"00", "01", "02", "03", "04", "03", "04", "03", "04", "0F"}));
    // Every command answered by one status read: each "set" followed by its "get 1C".
    const std::string log = Ctl({"log"});
    EXPECT_EQ(log.rfind("get 0F 6 answered", 0), 0u) << "the loader version is read first:\n" << log;
    std::size_t statusReads = 0;
    for (std::size_t at = log.find("get 1C 3 answered 1C01"); at != std::string::npos;
         at = log.find("get 1C 3 answered 1C01", at + 1))
        ++statusReads;
    EXPECT_EQ(statusReads, 10u) << log;
    EXPECT_TRUE(Eventually([&] { return MonitorStarted(); }));
}

struct FaultCase {
    std::vector<std::string> fault;
    bool succeeds;
    const char* logShows;  // what the keyboard's log holds afterwards
    std::size_t blocksTaken;
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST_F(FlashIntegration, FaultsOfTheUpdateModeEndThePassWithTheRightOutcomeAndNothingHangs) {
    WriteImage(2049, 121);
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    const std::vector<FaultCase> cases = {
        {{"busy", "3"}, true, "get 1C 3 answered 1C0300", 3},
        {{"repeat", "2"}, true, "set 1B 1026 repeat 1B0000", 3},
        {{"block-fail", "0"}, false, "set 1B 1026 refused 1B04", 0},
        {{"block-fail", "1"}, false, "set 1B 1026 refused 1B04", 1},
        {{"block-fail", "2"}, false, "set 1B 1026 refused 1B04", 2},
        // Unplugged right after the block's data: its status is never read.
        {{"unplug-after-blocks", "1"}, false, "accepted 1B04", 1},
        {{"unplug-after-blocks", "2"}, false, "accepted 1B04", 2},
        {{"unplug-after-blocks", "3"}, false, "accepted 1B04", 3},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.fault[0] + " " + c.fault[1]);
        Ctl({"plug"});
        Ctl({"firmware", "115"});
        Ctl({"reset-log"});
        std::vector<std::string> words = {"fault"};
        words.insert(words.end(), c.fault.begin(), c.fault.end());
        Ctl(words);
        std::filesystem::remove(home + "/KelmWatch.started");

        const ProgramResult flash = Flash();
        EXPECT_EQ(flash.status, c.succeeds ? 0 : 1) << flash.out << flash.err;
        EXPECT_NE(flash.out.find(c.succeeds ? "update succeeded" : "update failed"), std::string::npos) << flash.out;
        const std::string log = Ctl({"log"});
        EXPECT_NE(log.find(c.logShows), std::string::npos) << log;
        EXPECT_EQ(Count(log, "accepted 1B04"), c.blocksTaken) << log;
        EXPECT_EQ(Count(log, "1B0F"), c.succeeds ? 1u : 0u) << "a failed pass sends no finish\n" << log;
        const nlohmann::json dump = Dump();
        EXPECT_EQ(dump["UpdateMode"], !c.succeeds);
        if (c.succeeds) {
            EXPECT_EQ(dump["FWVersion"], 121);
            EXPECT_TRUE(Eventually([&] { return MonitorStarted(); }));
        } else {
            EXPECT_FALSE(Eventually([&] { return MonitorStarted(); }, 300)) << "KelmWatch started after a failure";
        }
        Ctl({"fault", "clear"});
    }
    // The keyboard left in its boot loader takes a new update.
    Ctl({"plug"});
    const ProgramResult again = Flash();
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(Dump()["UpdateMode"], false);
}

TEST_F(FlashIntegration, RefusedPackagesSendNothingAndSayWhy) {
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { WriteImage(204801, 5); }, "at most 204800 bytes"},
        {[&] { std::filesystem::remove(home + "/FlashPack/fw.bin"); }, "cannot be opened"},
        {[&] { WritePackage("Name=FlashPack\\fw.bin\r\n"); }, "backslash"},
        {[&] { WritePackage("Version=120\r\n"); }, "names no firmware image"},
        {[&] { WritePackage("Name=fw.bin\r\nCommandSignature=12\r\n"); }, "hex digits"},
    };
    for (const auto& [prepare, why] : cases) {
        SCOPED_TRACE(why);
        WritePackage("Name=fw.bin\r\n");
        WriteImage(10, 5);
        prepare();
        Ctl({"reset-log"});
        const ProgramResult flash = Flash();
        EXPECT_EQ(flash.status, 1);
        EXPECT_NE(flash.err.find(why), std::string::npos) << flash.err;
        EXPECT_NE(flash.err.find("nothing was sent"), std::string::npos) << flash.err;
        EXPECT_EQ(Ctl({"log"}), "") << "the keyboard was not even asked";
    }
}

TEST_F(FlashIntegration, ASecondKelmFlashEndsAtOnceAndWithoutADisplayTheWindowSaysSo) {
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    WriteImage(10, 5);
    {
        NamedMutex other = NamedMutex::Create(kFlashInstanceMutexName);
        ASSERT_TRUE(other);
        // Even with a screen to show a window on, none appears.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const std::vector<std::string>& args : {std::vector<std::string>{"--no-gui"}, {"5"}, {}}) {
            const ProgramResult second = Flash(args);
            EXPECT_EQ(second.status, 1);
            EXPECT_NE(second.err.find("another KelmFlash is running"), std::string::npos) << second.err;
        }
        ::unsetenv("QT_QPA_PLATFORM");
    }
    const ProgramResult window = Flash({"1"});
    EXPECT_EQ(window.status, 1);
    EXPECT_NE(window.err.find("no display to show the window on"), std::string::npos) << window.err;
    EXPECT_EQ(Flash({"--no-gui", "1"}).status, 2);
    EXPECT_EQ(Ctl({"log"}), "");
}

TEST_F(FlashIntegration, AStopSignalDuringThePassLetsItRunToItsEnd) {
    WriteImage(20 * 1024, 122);
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    const pid_t pid = Spawn({ProgramPath("FlashPack/KelmFlash"), "--no-gui"}, folder / "flash.out");
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(
        Eventually([&] { return ReadFile(folder / "flash.out").find("block 2/20") != std::string::npos; }, 20000));
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGINT);
    EXPECT_EQ(WaitExit(pid, kFlashTimeoutMs), 0);
    const std::string out = ReadFile(folder / "flash.out");
    EXPECT_NE(out.find("the update runs to its end"), std::string::npos) << out;
    EXPECT_NE(out.find("block 20/20"), std::string::npos) << out;
    EXPECT_EQ(Dump()["FWVersion"], 122);
}

TEST_F(FlashIntegration, TheWindowToldToStopDuringThePassLetsItEndAndCountsItsSuccess) {
    WriteImage(12 * 1024, 124);
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const pid_t pid = Spawn({ProgramPath("FlashPack/KelmFlash"), "5"}, folder / "flash.out");
    ::unsetenv("QT_QPA_PLATFORM");
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(Eventually([&] { return Count(Ctl({"log"}), "accepted 1B04") >= 2; }, 20000));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid, kFlashTimeoutMs), 0) << ReadFile(folder / "flash.out");
    EXPECT_EQ(Count(Ctl({"log"}), "accepted 1B04"), 12u) << "the pass was cut short";
    EXPECT_EQ(Dump()["FWVersion"], 124);
    EXPECT_TRUE(Eventually([&] { return MonitorStarted(); }));
}

TEST_F(FlashIntegration, AStopWhileTheConfirmationWaitsIsNoAnswerAndLeavesKelmWatchRunning) {
    std::filesystem::remove(home + "/KelmWatch");
    WriteImage(2049, 120);
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    const pid_t monitor = Spawn({ProgramPath("KelmWatch")}, folder / "watch.out");
    ASSERT_TRUE(Eventually([] { return FindWindow(kMonitorTitle); }, 10000)) << ReadFile(folder / "watch.out");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("KELM_DEBUG", "1", 1);
    const pid_t pid = Spawn({ProgramPath("FlashPack/KelmFlash"), "1"}, folder / "flash.out");
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("KELM_DEBUG");
    ASSERT_TRUE(Eventually([&] { return ReadFile(folder / "flash.out").find("FW Update: 1") != std::string::npos; }));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid, 5000), 1) << ReadFile(folder / "flash.out");
    EXPECT_FALSE(Eventually([&] { return WaitExit(monitor, 0) >= 0 || !FindWindow(kMonitorTitle); }, 500))
        << "KelmWatch was closed without an answer";
    EXPECT_EQ(Ctl({"log"}).find("set 1B"), std::string::npos);
    PostMessage(kMonitorTitle, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitExit(monitor, 10000), 0);
}

TEST_F(FlashIntegration, TheRealKelmWatchIsClosedBeforeTheUpdateAndStartedAgainOnlyAfterSuccess) {
    std::filesystem::remove(home + "/KelmWatch");
    std::filesystem::create_symlink(ProgramPath("KelmWatch"), home + "/KelmWatch");
    // The package is what the keyboard will hold, so the monitor started
    // again offers no update.
    WriteImage(2049, 120);
    ASSERT_NO_FATAL_FAILURE(StartEmu());
    for (const bool succeeds : {false, true}) {
        SCOPED_TRACE(succeeds ? "success" : "failure");
        const pid_t monitor = Spawn({ProgramPath("KelmWatch")}, folder / "watch.out");
        ASSERT_TRUE(Eventually([] { return FindWindow(kMonitorTitle); }, 10000)) << ReadFile(folder / "watch.out");
        if (!succeeds) Ctl({"fault", "block-fail", "1"});

        const ProgramResult flash = Flash();
        EXPECT_EQ(flash.status, succeeds ? 0 : 1) << flash.out << flash.err;
        EXPECT_NE(flash.out.find("closing KelmWatch"), std::string::npos) << flash.out;
        EXPECT_EQ(WaitExit(monitor, 1000), 0) << "the monitor had ended before the update";
        EXPECT_EQ(Eventually([] { return FindWindow(kMonitorTitle); }, succeeds ? 10000 : 1000), succeeds);
    }
    EXPECT_EQ(Dump()["FWVersion"], 120);
}

}  // namespace
}  // namespace kelm::test
