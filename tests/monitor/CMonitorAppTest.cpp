// The application object: the command line and the single instance.
#include "MonitorFakes.h"
#include "monitor/CMonitorApp.h"
#include "monitor/MonitorIds.h"
#include "tests/support/TempRuntime.h"

namespace kelm::test {
namespace {

bool Requested(std::vector<const char*> args) {
    args.insert(args.begin(), "KelmWatch");
    return CMonitorApp::OpenSetupRequested(static_cast<int>(args.size()), args.data());
}

TEST(CMonitorApp, OnlyTheFirstCharacterOfTheCommandLineCounts) {
    EXPECT_FALSE(Requested({}));
    EXPECT_TRUE(Requested({"1"}));
    EXPECT_TRUE(Requested({"1x", "0"}));
    EXPECT_FALSE(Requested({"", "10"}));
    EXPECT_FALSE(Requested({"0", "1"}));
    EXPECT_FALSE(Requested({"21"}));
}

TEST(CMonitorApp, ASecondInstanceHandsItsRequestOverAndEnds) {
    TempRuntime runtime;
    CallLog log;
    FakeWindows windows(log);
    windows.Open(std::string(kMonitorTitle));

    CMonitorApp first;
    EXPECT_EQ(first.InitInstance(false, windows), CMonitorApp::Instance::First);

    CMonitorApp second;
    EXPECT_EQ(second.InitInstance(false, windows), CMonitorApp::Instance::Running);
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_EQ(second.InitInstance(true, windows), CMonitorApp::Instance::Running);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Post VELDAN Kelm Keyboard Monitor 273 6001"});

    // Once the first has ended, the next start is the first again.
    first.ExitInstance();
    CMonitorApp third;
    EXPECT_EQ(third.InitInstance(true, windows), CMonitorApp::Instance::First);
}

}  // namespace
}  // namespace kelm::test
