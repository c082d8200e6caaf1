// Every program answers --help and --version, and refuses an unknown option
// where it may, before it reaches for a display, a mutex, the keyboard or
// the settings: run here with no display, a keyboard that is not there and
// empty runtime and program folders that must stay empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Version.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

struct ProgramCase {
    std::string path;     // in the program folder
    std::string program;  // as --version names it
    // What the help must mention: each option the program takes, its
    // arguments or commands, and the variables it reads.
    std::vector<std::string> mentions;
    bool refusesUnknown;  // false where Qt takes options of its own
};

const std::vector<ProgramCase>& Programs() {
    static const std::vector<ProgramCase> programs = {
        {"KelmWatch",
         "KelmWatch",
         {"KelmWatch [1]", "KELM_HOME", "KELM_DEVICE", "KELM_INJECT", "KELM_DEBUG", "config.ini"},
         false},
        {"KelmSetup", "KelmSetup", {"KELM_HOME", "KELM_DEBUG", "config.ini"}, false},
        {"FlashPack/KelmFlash",
         "KelmFlash",
         {"--no-gui", "[ARGUMENT]", "KELM_HOME", "KELM_DEVICE", "FlashPack/config.ini"},
         true},
        {"KelmOSD", "KelmOSD", {"--notifications", "KELM_HOME", "config.ini"}, false},
        {"KelmEmu",
         "KelmEmu",
         {"--state FILE", "--socket PATH", "--firmware N", "--loader N", "--flashpack CONFIG", "--busy-polls N",
          "--busy-ms MS", "--unplugged", "KelmEmu ctl", "fault busy", "KELM_DEVICE"},
         true},
        {"kelmctl",
         "kelmctl",
         {"profile show", "profile write", "settings show", "keyboard dump", "status", "apply", "firmware make-image",
          "KELM_HOME", "KELM_DEVICE"},
         true},
    };
    return programs;
}

class ProgramHelp : public ::testing::Test {
protected:
    void SetUp() override {
        if (ProgramFolder().empty()) GTEST_SKIP() << "KELM_PROGRAM_FOLDER is not set";
    }

    // Runs the program to its end (or fails after 10 s: then it went on to
    // start for real).
    ProgramResult Run(const ProgramCase& c, const std::vector<std::string>& args) {
        std::vector<std::string> argv = {ProgramPath(c.path)};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string out = scratch_ / "out";
        const std::string err = scratch_ / "err";
        ProgramResult result;
        const pid_t pid = Spawn(argv, out, err, "/dev/null");
        if (pid < 0) return result;
        result.status = WaitExit(pid, 10000);
        if (result.status < 0) {
            ::kill(pid, SIGKILL);
            WaitExit(pid, 10000);
        }
        result.out = ReadFile(out);
        result.err = ReadFile(err);
        return result;
    }

    void ExpectUntouched(const ProgramCase& c) {
        EXPECT_TRUE(std::filesystem::is_empty(runtime_.Path())) << c.program << " made its runtime objects";
        EXPECT_TRUE(std::filesystem::is_empty(home_.Path())) << c.program << " wrote settings";
    }

    TempFolder scratch_, runtime_, home_;
    ScopedEnv noDisplay_{"DISPLAY", nullptr};
    ScopedEnv noWayland_{"WAYLAND_DISPLAY", nullptr};
    ScopedEnv noPlatform_{"QT_QPA_PLATFORM", nullptr};
    ScopedEnv runtimeFolder_{"XDG_RUNTIME_DIR", runtime_.Path().c_str()};
    ScopedEnv programFolder_{"KELM_HOME", home_.Path().c_str()};
    ScopedEnv device_{"KELM_DEVICE", "emu:/nonexistent/KelmEmu.sock"};
};

TEST_F(ProgramHelp, HelpTellsUsageAndEveryOption) {
    for (const ProgramCase& c : Programs()) {
        const ProgramResult help = Run(c, {"--help"});
        EXPECT_EQ(help.status, 0) << c.program << ": " << help.err;
        EXPECT_EQ(help.out.rfind("Usage: " + c.program, 0), 0u) << help.out;
        for (const std::string& option : {std::string("--help"), std::string("--version")})
            EXPECT_NE(help.out.find(option), std::string::npos) << c.program << " does not mention " << option;
        for (const std::string& mention : c.mentions)
            EXPECT_NE(help.out.find(mention), std::string::npos) << c.program << " does not mention " << mention;
        EXPECT_EQ(help.err, "") << c.program;
        ExpectUntouched(c);
    }
}

TEST_F(ProgramHelp, VersionIsTheProjectVersion) {
    for (const ProgramCase& c : Programs()) {
        const ProgramResult version = Run(c, {"--version"});
        EXPECT_EQ(version.status, 0) << c.program << ": " << version.err;
        EXPECT_EQ(version.out, c.program + " " + kSuiteVersion + "\n");
        ExpectUntouched(c);
    }
}

TEST_F(ProgramHelp, AnUnknownOptionIsRefusedInOneLine) {
    for (const ProgramCase& c : Programs()) {
        if (!c.refusesUnknown) continue;
        const ProgramResult refused = Run(c, {"--no-such-option"});
        EXPECT_EQ(refused.status, 2) << c.program;
        EXPECT_EQ(refused.out, "") << c.program;
        EXPECT_EQ(refused.err, c.program + ": unknown option --no-such-option (see '" + c.program + " --help')\n");
        ExpectUntouched(c);
    }
}

}  // namespace
}  // namespace kelm::test
