// The real KelmSetup program on the offscreen platform in a throw-away
// program folder: one runs per session, a second start asks the first to
// come forward and ends, and KelmWatch's WM_CLOSE ends it without saving.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "platform/WindowClient.h"
#include "suite/SuiteIds.h"
#include "tests/monitor/Eventually.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

class SetupProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (ProgramPath("KelmSetup").empty()) GTEST_SKIP() << "KELM_PROGRAM_FOLDER is not set";
        std::filesystem::create_directories(folder_ / "home/config");
        std::filesystem::create_directories(folder_ / "run");
        std::filesystem::permissions(folder_ / "run", std::filesystem::perms::owner_all);
        for (const char* shared : {"Skin", "help"})
            std::filesystem::create_directory_symlink(ProgramFolder() + "/" + shared,
                                                      folder_ / ("home/" + std::string(shared)));
    }
    void TearDown() override {
        for (const pid_t pid : started_)
            if (WaitExit(pid, 0) == -1) {
                ::kill(pid, SIGKILL);
                WaitExit(pid, 5000);
            }
    }
    pid_t Start(const std::string& log) {
        const pid_t pid = Spawn({ProgramPath("KelmSetup")}, folder_ / log);
        started_.push_back(pid);
        return pid;
    }
    std::string ConfigFile() const { return ReadFile(folder_ / "home/config.ini"); }

    TempFolder folder_;
    ScopedEnv home_{"KELM_HOME", (folder_ / "home").c_str()};
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", (folder_ / "run").c_str()};
    ScopedEnv config_{"XDG_CONFIG_HOME", (folder_ / "xdg").c_str()};
    ScopedEnv platform_{"QT_QPA_PLATFORM", "offscreen"};
    std::vector<pid_t> started_;
};

TEST_F(SetupProgramTest, OneRunsPerSessionAndWmCloseEndsItWithoutSaving) {
    const pid_t first = Start("first.log");
    ASSERT_TRUE(Eventually([] { return FindWindow(kSetupTitle); }, 10000)) << ReadFile(folder_ / "first.log");
    const std::string configBefore = ConfigFile();

    const pid_t second = Start("second.log");
    EXPECT_EQ(WaitExit(second, 10000), 0) << "a second KelmSetup keeps running";
    EXPECT_EQ(WaitExit(first, 0), -1) << "the first one ended";
    EXPECT_TRUE(FindWindow(kSetupTitle));

    ASSERT_TRUE(PostMessage(kSetupTitle, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitExit(first, 10000), 0);
    EXPECT_FALSE(FindWindow(kSetupTitle));
    EXPECT_EQ(ConfigFile(), configBefore) << "closing saved something";
}

}  // namespace
}  // namespace kelm::test
