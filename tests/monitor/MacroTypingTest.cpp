// The real KelmWatch against the real KelmEmu on an Xvfb of the test's own:
// a macro recorded on the keyboard and played by its key is typed, in
// order, into the window that has the focus.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <memory>
#include <string>
#include <vector>

#include "Eventually.h"
#include "MonitorIntegrationFixture.h"
#include "tests/platform/TestClientWindow.h"
#include "tests/platform/TestServer.h"

namespace kelm::test {
namespace {

using namespace std::chrono_literals;

class MacroTyping : public MonitorIntegration {
protected:
    void SetUp() override {
        MonitorIntegration::SetUp();
        xvfb_ = XvfbServer::Start();
        if (!xvfb_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        ::setenv("DISPLAY", xvfb_->Display().c_str(), 1);
        client_ = TestClientWindow::Open(xvfb_->Display());
        ASSERT_TRUE(client_);
    }
    // KelmWatch ends before the display does.
    void TearDown() override {
        MonitorIntegration::TearDown();
        client_.reset();
        xvfb_.reset();
        ::unsetenv("DISPLAY");
    }

    // The monitor has read the recorded macro of key 1 back.
    bool MacroOnKeyOne(int eventCount) {
        const auto record = block.Read();
        const MacroKeyInfo& key = record->Profiles[record->CurrentProfile].Keys[0];
        return key.FunctionCode == kFnMacro && key.EventCount == eventCount;
    }

    std::unique_ptr<XvfbServer> xvfb_;
    std::unique_ptr<TestClientWindow> client_;
};

ClientEvent KeyDown(unsigned inputCode) { return {ClientEvent::KeyDown, inputCode + 8, {}}; }
ClientEvent KeyUp(unsigned inputCode) { return {ClientEvent::KeyUp, inputCode + 8, {}}; }

TEST_F(MacroTyping, AMacroKeyTypesTheRecordedKeysIntoTheFocusedWindowInOrder) {
    AgreeOnStamp();
    ASSERT_NO_FATAL_FAILURE(StartAll());
    EXPECT_NE(MonitorOutput().find("InputInjector: XTest"), std::string::npos) << MonitorOutput();

    // a, b, then right Shift (typed as the left one) held over c.
    Ctl({"record", "3", "1", "0x04:1:20", "0x04:2:20", "0x05:1:20", "0x05:2:20", "0xE5:1:20", "0x06:1:20", "0x06:2:20",
         "0xE5:2:20"});
    // The block has the macro before the monitor's own view of the record
    // does: the job renews the stamp and saves the files in between.
    ASSERT_TRUE(Eventually([&] { return MacroOnKeyOne(8); }, 15000)) << MonitorOutput();
    ASSERT_TRUE(Eventually([&] { return MonitorOutput().find("job 4 ended") != std::string::npos; }, 15000));
    client_->Clear();

    Ctl({"press", "1"});
    Ctl({"release", "1"});
    const std::vector<ClientEvent> expected = {KeyDown(KEY_A), KeyUp(KEY_A),           KeyDown(KEY_B),
                                               KeyUp(KEY_B),   KeyDown(KEY_LEFTSHIFT), KeyDown(KEY_C),
                                               KeyUp(KEY_C),   KeyUp(KEY_LEFTSHIFT)};
    ASSERT_TRUE(client_->WaitForEvents(expected.size(), 10s)) << MonitorOutput();
    // Nothing more comes: the key's release plays nothing.
    EXPECT_FALSE(client_->WaitForEvents(expected.size() + 1, 300ms));
    EXPECT_EQ(client_->Events(), expected);
    EXPECT_NE(MonitorOutput().find("g_iCurAction= 8,start=0,end=8"), std::string::npos) << MonitorOutput();
}

}  // namespace
}  // namespace kelm::test
