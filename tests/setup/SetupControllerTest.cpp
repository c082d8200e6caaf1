// The main window's behaviour on a recording view, a fake monitor and an
// apply runner whose answer the test gives: the busy state around an apply,
// what OK, Reset and the markers do, and KelmWatch's messages meanwhile.
#include <gtest/gtest.h>

#include "settings/Text.h"
#include "setup/SetupController.h"
#include "suite/SuiteIds.h"
#include "tests/setup/FakeMonitorLink.h"
#include "tests/setup/SetupDoubles.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm::test {
namespace {

class SetupControllerTest : public ::testing::Test {
protected:
    void Start() {
        controller.Start();
        view.calls.clear();
    }
    std::int64_t Post(std::uint32_t msg) {
        WindowMessage message;
        message.msg = msg;
        return controller.WindowProc(message);
    }

    TempProgramFolder folder;
    FakeMonitorLink monitor;
    SetupSession session{monitor, folder.Where()};
    RecordingView view;
    HeldRunner runner;
    SetupController controller{session, view, runner};
};

TEST_F(SetupControllerTest, AnApplyKeepsTheWindowBusyUntilTheMonitorAnswersAndHandlesMessagesMeanwhile) {
    Start();
    controller.OnSlot(2);
    controller.OnApply();
    EXPECT_TRUE(controller.Applying());
    EXPECT_EQ(view.calls.back(), "refresh");
    EXPECT_TRUE(view.Saw("busy"));
    EXPECT_EQ(runner.modes, std::vector<int>{0});
    EXPECT_EQ(monitor.block->Flags.CurrentProfileChanged, 1);

    // A second Apply while the first runs is no second apply.
    controller.OnOk();
    EXPECT_EQ(runner.modes.size(), 1u);
    // KelmWatch's messages are handled while the keyboard is written.
    Post(MSG_SETUP_BRIGHTNESS_CHANGED);
    EXPECT_FALSE(view.Saw("idle"));

    runner.Answer(1);
    EXPECT_FALSE(controller.Applying());
    EXPECT_EQ(view.calls.back(), "idle");
    EXPECT_TRUE(view.notices.empty());
    EXPECT_FALSE(view.Saw("close"));
}

TEST_F(SetupControllerTest, OkClosesOnceTheMonitorAnsweredAndSaysWhatTheKeyboardMissed) {
    struct Case {
        std::optional<std::int64_t> answer;
        std::vector<ISetupView::Notice> notices;
    };
    const Case cases[] = {
        {1, {}},
        {0, {ISetupView::Notice::KeyboardMissedIt}},
        {std::nullopt, {ISetupView::Notice::SavedWithoutMonitor}},
    };
    for (const Case& c : cases) {
        Start();
        view.notices.clear();
        controller.OnOk();
        EXPECT_FALSE(view.Saw("close"));
        runner.Answer(c.answer);
        EXPECT_EQ(view.notices, c.notices);
        EXPECT_EQ(view.calls.back(), "close");
    }
}

TEST_F(SetupControllerTest, WithoutTheMonitorApplySavesAndSaysSoWithoutWaiting) {
    monitor.openResult = IMonitorLink::OpenResult::Absent;
    Start();
    controller.OnApply();
    EXPECT_TRUE(runner.modes.empty());
    EXPECT_FALSE(controller.Applying());
    EXPECT_EQ(view.notices, std::vector{ISetupView::Notice::SavedWithoutMonitor});
    EXPECT_EQ(monitor.writes, 0);
}

TEST_F(SetupControllerTest, AnUnmappableBlockIsSaidAtStart) {
    monitor.openResult = IMonitorLink::OpenResult::Unmappable;
    controller.Start();
    EXPECT_EQ(view.notices, std::vector{ISetupView::Notice::BlockUnmappable});
}

TEST_F(SetupControllerTest, ResetAppliesAtOnceWithTheKeyboardResetFirst) {
    monitor.block->CurrentProfile = 3;
    monitor.block->Profiles[3].LtBrightness = 0;
    Start();
    CopyField(session.Working().Profiles[0].ProFileName, "Mine");
    controller.OnReset();
    EXPECT_EQ(runner.modes, std::vector<int>{1});
    EXPECT_EQ(FieldText(monitor.block->Profiles[0].ProFileName), "Default1");
    // Every key is sent; the other groups where they differ from what the
    // monitor held.
    EXPECT_EQ(monitor.block->Flags.KeyChanged[3][0], 1);
    EXPECT_EQ(monitor.block->Flags.CurrentProfileChanged, 1);
    EXPECT_EQ(monitor.block->Flags.LightChanged[3], 1);
    EXPECT_EQ(monitor.block->Flags.LightChanged[2], 0);
    EXPECT_TRUE(view.Saw("relabel"));
    runner.Answer(1);
    EXPECT_EQ(session.Working().Flags.KeyChanged[3][0], 0);
}

TEST_F(SetupControllerTest, TheMarkerAsksBeforeMarkingAndClearsTheMarkedSlotWithoutAsking) {
    Start();
    view.confirm = false;
    controller.OnWindowsProfileMarker(3);
    EXPECT_EQ(session.Working().WindowsProfile, -1);
    view.confirm = true;
    controller.OnWindowsProfileMarker(3);
    EXPECT_EQ(session.Working().WindowsProfile, 3);
    controller.OnWindowsProfileMarker(3);
    EXPECT_EQ(session.Working().WindowsProfile, -1);
    EXPECT_EQ(view.asked, (std::vector<int>{3, 3}));
}

TEST_F(SetupControllerTest, KelmWatchsMessages) {
    Start();
    Post(MSG_SETUP_RELOAD);
    EXPECT_TRUE(view.Saw("firmware"));
    EXPECT_TRUE(view.Saw("refresh"));
    Post(RegisterWindowMessage(kActivateWindowMessage));
    EXPECT_EQ(view.calls.back(), "raise");
    Post(WM_CLOSE);
    EXPECT_EQ(view.calls.back(), "close");
    // A language outside the seventeen changes nothing.
    view.calls.clear();
    controller.OnLanguage(40);
    EXPECT_TRUE(view.calls.empty());
    controller.OnLanguage(12);
    EXPECT_EQ(session.Language(), 12);
    EXPECT_TRUE(view.Saw("relabel"));
}

}  // namespace
}  // namespace kelm::test
