// The window while the worker is busy with the keyboard: every message is
// answered without waiting for the keyboard, and settings handed over
// meanwhile reach the keyboard, the files and the block.
#include <future>

#include "MonitorFixture.h"

namespace kelm::test {
namespace {

using namespace std::chrono_literals;

// A keyboard job that stops inside its first wait until released, so the
// test can do anything at that moment.
enum class Busy { ReadBack, Apply, MacroReadBack };

class BusyKeyboardTest : public MonitorTest, public ::testing::WithParamInterface<Busy> {
protected:
    void SetUp() override {
        files.loaded->CurrentProfile = 0;
        keyboard.profiles[0].keys[4].code = kFnMacro;
        keyboard.profiles[0].macros[4].EventCount = 1;
        keyboard.profiles[0].macros[4].Events[0] = {0x04, 1, 0};
        if (GetParam() == Busy::ReadBack) {
            Create();
        } else {
            CreateAndSettle();
        }
        clock.SetSleepHook([this](std::int64_t) {
            inside = true;
            while (!released.load()) std::this_thread::sleep_for(1ms);
        });
        switch (GetParam()) {
            case Busy::ReadBack:
                Fire(TIMER_FIRST_READ);
                break;
            case Busy::Apply:
                HandOver([](SettingsRecord& r) {
                    r.Profiles[3].LtTimeout = 7;
                    r.Flags.LightChanged[3] = 1;
                });
                Send(MSG_APPLY_SETTINGS, 0);
                break;
            case Busy::MacroReadBack:
                Event(EVT_MACRO_RECORD, 0x0305);
                break;
        }
        ASSERT_TRUE(Eventually([this] { return inside.load(); }));
    }

    void TearDown() override {
        released = true;
        MonitorTest::TearDown();
    }

    // What KelmSetup writes into the block: the files' record with a change.
    void HandOver(const std::function<void(SettingsRecord&)>& edit) {
        block.Edit([&](SettingsRecord& r) {
            r = *files.loaded;
            ClearChangeFlags(r);
            edit(r);
        });
    }

    // The handler returns while the keyboard is still held by the worker.
    ::testing::AssertionResult AnsweredAtOnce(const WindowMessage& m) {
        auto answered = std::async(std::launch::async, [&] { return wnd->WindowProc(m); });
        if (answered.wait_for(5s) == std::future_status::ready) return ::testing::AssertionSuccess();
        released = true;  // let the test end
        return ::testing::AssertionFailure() << "message " << m.msg << " waited for the keyboard";
    }

    std::atomic<bool> inside{false};
    std::atomic<bool> released{false};
};

TEST_P(BusyKeyboardTest, EveryMessageIsAnsweredWhileTheWorkerHoldsTheKeyboard) {
    WindowMessage text = Message(WM_COPYDATA);
    text.kind = MessageKind::CopyData;
    text.data = std::string(151, 'x');
    const PactMessages pactMessages = PactMessages::Register();
    HandOver([](SettingsRecord& r) { r.Profiles[1].LtBrightness = 1; });
    for (const WindowMessage& m :
         {Message(MSG_APPLY_SETTINGS), Message(MSG_RELOAD_SETTINGS), Message(MSG_RELOAD_SETTINGS_AND_RATE),
          Message(MSG_DEVICE_EVENT, EVT_PROFILE, 2), Message(MSG_DEVICE_EVENT, EVT_BRIGHTNESS, 3),
          Message(MSG_DEVICE_EVENT, EVT_KEY_FUNCTION, 1), Message(MSG_DEVICE_EVENT, EVT_MACRO_RECORD, 0x0100),
          Message(pactMessages.activeStatusFromPact), Message(pactMessages.monitorStatusChange, 0, 1),
          Message(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT), Message(MSG_TRAY_NOTIFY, 0, WM_LBUTTONDOWN),
          Message(WM_COMMAND, 7), text})
        ASSERT_TRUE(AnsweredAtOnce(m));
    // The keys follow a profile change made on the keyboard at once.
    EXPECT_EQ(block.Content().CurrentProfile, 1);
    released = true;
    Settle();
}

TEST_P(BusyKeyboardTest, SettingsHandedOverMeanwhileReachTheKeyboardFilesAndBlock) {
    HandOver([](SettingsRecord& r) {
        r.Profiles[1].LtBrightness = 1;
        r.Flags.LightChanged[1] = 1;
    });
    log.Clear();
    ASSERT_TRUE(AnsweredAtOnce(Message(MSG_APPLY_SETTINGS)));
    EXPECT_FALSE(log.Has("Reply 1")) << "answered before the keyboard had it";
    released = true;
    Settle();
    EXPECT_TRUE(log.Has("Reply 1"));
    EXPECT_EQ(keyboard.profiles[1].light.brightness, 1);
    EXPECT_EQ(wnd->RecordSnapshot().Profiles[1].LtBrightness, 1);
    EXPECT_EQ(block.Content().Profiles[1].LtBrightness, 1);
    // A read-back saved what the keyboard held; the files get the change on top.
    if (GetParam() != Busy::Apply) {
        EXPECT_EQ(files.Saved().Profiles[1].LtBrightness, 1);
    }
}

std::string BusyName(const ::testing::TestParamInfo<Busy>& busy) {
    switch (busy.param) {
        case Busy::ReadBack:
            return "ReadBack";
        case Busy::Apply:
            return "Apply";
        case Busy::MacroReadBack:
            return "MacroReadBack";
    }
    return "";
}

INSTANTIATE_TEST_SUITE_P(Jobs, BusyKeyboardTest, ::testing::Values(Busy::ReadBack, Busy::Apply, Busy::MacroReadBack),
                         BusyName);

}  // namespace
}  // namespace kelm::test
