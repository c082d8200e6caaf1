// Recording in the macro manager on an Xvfb of the test's own, with keys
// injected through XTest: the dialog takes the whole keyboard while it
// records, in order, repeats dropped, Escape a key like any other, and it
// lets go when the recording stops, when the macro is full and however the
// dialog ends; a key typed afterwards reaches the focused window again.
// (The delays taken from the server's timestamps are the grab's and the
// recorder's, tested with them.)
#include <linux/input-event-codes.h>

#include "platform/InputInjector.h"
#include "tests/platform/TestClientWindow.h"
#include "tests/platform/TestServer.h"
#include "tests/setup/MacroDialogDriver.h"
#include "tests/support/ScopedEnv.h"

namespace kelm::test {
namespace {

using namespace std::chrono_literals;
constexpr unsigned kKeycodeOffset = 8;

class MacroRecordingTest : public MacroDialogFixture {
protected:
    void SetUp() override {
        MacroDialogFixture::SetUp();
        if (IsSkipped()) return;
        xvfb_ = XvfbServer::Start();
        if (!xvfb_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        display_.emplace("DISPLAY", xvfb_->Display().c_str());
    }
    void OpenClientAndInjector() {
        client_ = TestClientWindow::Open(xvfb_->Display());
        ASSERT_TRUE(client_);
        injector_ = OpenXTestInjector(xvfb_->Display().c_str());
        ASSERT_TRUE(injector_);
    }
    void Type(std::initializer_list<std::pair<std::uint16_t, bool>> keys) {
        for (const auto& [code, down] : keys) down ? injector_->KeyDown(code) : injector_->KeyUp(code);
    }
    bool WaitForEventCount(int count) {
        return ProcessEventsUntil([&] { return static_cast<int>(Events().size()) >= count; });
    }
    void StartRecording() {
        Click("BUTTON_Start_Record");
        ASSERT_TRUE(Recording());
        ASSERT_TRUE(dialog_->EventEditor()->HoldsKeyboard());
    }
    // The window in front has the keys again: B, and nothing before it.
    void ExpectKeysReachTheWindow() {
        Type({{KEY_B, true}, {KEY_B, false}});
        ASSERT_TRUE(client_->WaitForEvents(2, 5s));
        using E = ClientEvent;
        EXPECT_EQ(client_->Events(),
                  (std::vector<E>{{E::KeyDown, KEY_B + kKeycodeOffset, {}}, {E::KeyUp, KEY_B + kKeycodeOffset, {}}}));
    }

    std::unique_ptr<XvfbServer> xvfb_;
    std::optional<ScopedEnv> display_;
    std::unique_ptr<TestClientWindow> client_;
    std::unique_ptr<IInputInjector> injector_;
};

TEST_F(MacroRecordingTest, EveryKeyComesInOrderRepeatsDroppedAndNoOtherWindowSeesIt) {
    OpenClientAndInjector();
    Open(WorkSet({NamedMacro("Keys")}));
    StartRecording();
    EXPECT_EQ(dialog_->findChild<QLabel*>(QStringLiteral("Record hint"))->text(), Text(TextId::kRecordingAllKeys));
    // A pressed twice while held: the second is a repeat.
    Type({{KEY_LEFTSHIFT, true},
          {KEY_A, true},
          {KEY_A, true},
          {KEY_A, false},
          {KEY_LEFTSHIFT, false},
          {KEY_ESC, true},
          {KEY_ESC, false}});
    ASSERT_TRUE(WaitForEventCount(6));
    QTest::qWait(50);
    std::vector<MacroEvent> strokes = Events();
    for (MacroEvent& e : strokes) e.Delay = 0;
    EXPECT_EQ(strokes, (std::vector<MacroEvent>{
                           {0xE1, P, 0}, {0x04, P, 0}, {0x04, R, 0}, {0xE1, R, 0}, {0x29, P, 0}, {0x29, R, 0}}));
    EXPECT_TRUE(dialog_->isVisible()) << "Escape was a key of the macro";
    EXPECT_TRUE(client_->Events().empty());

    Click("BUTTON_Start_Record");
    EXPECT_FALSE(Recording());
    EXPECT_FALSE(dialog_->EventEditor()->HoldsKeyboard());
    ExpectKeysReachTheWindow();
}

TEST_F(MacroRecordingTest, TheFiveHundredthEventStopsTheRecordingAndLetsGo) {
    OpenClientAndInjector();
    std::vector<MacroEvent> events;
    for (int i = 0; i < kMaxEvents - 4; ++i) events.push_back({0x04, static_cast<std::uint8_t>(i % 2 ? R : P), 0});
    Open(WorkSet({NamedMacro("Long", events)}));
    StartRecording();
    Type({{KEY_Z, true}, {KEY_Z, false}, {KEY_X, true}, {KEY_X, false}});
    ASSERT_TRUE(WaitForEventCount(kMaxEvents));
    EXPECT_FALSE(Recording());
    EXPECT_FALSE(Find("BUTTON_Start_Record")->isChecked());
    EXPECT_TRUE(Find("BUTTON_OK")->isEnabled());
    EXPECT_EQ(dialog_->findChild<QLabel*>(QStringLiteral("Record hint"))->text(), Text(TextId::kRecordingFull));
    EXPECT_EQ(Events().back().KeyCode, 0x1B);
    ExpectKeysReachTheWindow();
}

TEST_F(MacroRecordingTest, TheKeyboardIsLetGoHoweverTheDialogEnds) {
    OpenClientAndInjector();
    const struct {
        const char* ending;
        std::function<void(std::unique_ptr<CMacroManagerDlg>&)> end;
    } cases[] = {
        {"accepted", [](auto& dialog) { dialog->accept(); }},
        {"rejected", [](auto& dialog) { dialog->reject(); }},
        {"closed", [](auto& dialog) { dialog->close(); }},
        {"destroyed", [](auto& dialog) { dialog.reset(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ending);
        client_->Clear();
        Open(WorkSet({NamedMacro("Keys")}));
        StartRecording();
        Type({{KEY_Q, true}, {KEY_Q, false}});
        ASSERT_TRUE(WaitForEventCount(2));
        c.end(dialog_);
        if (dialog_) {
            EXPECT_FALSE(dialog_->isVisible());
            EXPECT_FALSE(Recording());
            if (dialog_->result() == QDialog::Accepted) {
                EXPECT_EQ(dialog_->TakeLibrary().Sets[0].Macros[0].EventCount, 2);
            }
        }
        ExpectKeysReachTheWindow();
        dialog_.reset();
    }
}

TEST_F(MacroRecordingTest, ALostDisplayEndsTheRecording) {
    Open(WorkSet({NamedMacro("Keys")}));
    StartRecording();
    xvfb_.reset();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !Recording(); }));
    EXPECT_EQ(dialog_->findChild<QLabel*>(QStringLiteral("Record hint"))->text(), Text(TextId::kRecordingLost));
    EXPECT_TRUE(Find("BUTTON_OK")->isEnabled());
}

}  // namespace
}  // namespace kelm::test
