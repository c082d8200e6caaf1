// KelmOSD's window procedure on a fake view and virtual time.
#include <gtest/gtest.h>

#include "osd/OsdController.h"
#include "osd/OsdWindow.h"
#include "suite/SuiteIds.h"
#include "tests/platform/RecordingNotifier.h"
#include "tests/support/VirtualTimers.h"

namespace kelm::test {
namespace {

using std::chrono::milliseconds;

TEST(OsdPositionTest, TheFirstCoordinateIsTheHighWordAndBothKeepTheirSign) {
    struct Case {
        std::int64_t lParam;
        OsdPosition at;
    };
    const Case cases[] = {
        {(100 << 16) | 200, {100, 200}},
        {0, {0, 0}},
        {0xFFF6FFEC, {-10, -20}},
        {0x7FFF8000, {32767, -32768}},
        // Bits above the two words are not part of the position.
        {static_cast<std::int64_t>(0xABCD00010002), {1, 2}},
        {-1, {-1, -1}},
    };
    for (const Case& c : cases) EXPECT_EQ(OsdPositionFromParam(c.lParam), c.at) << c.lParam;
}

TEST(OsdTextTest, UtfEightStaysAndOtherBytesAreLatinLetters) {
    EXPECT_EQ(OsdWindow::Decode("Caf\xc3\xa9"), QString::fromUtf8("Caf\xc3\xa9"));
    EXPECT_EQ(OsdWindow::Decode("Caf\xe9"), QString::fromUtf8("Caf\xc3\xa9"));
    EXPECT_EQ(OsdWindow::Decode(""), QString());
}

class FakeView final : public IOsdView {
public:
    void ShowText(const std::string& text) override {
        shown = text;
        visible = true;
    }
    void HideText() override { visible = false; }
    void MoveTo(int x, int y) override { at = {x, y}; }
    std::string shown;
    bool visible = false;
    OsdPosition at{-999, -999};
};

std::int64_t PostTo(OsdController& controller, std::uint32_t msg, std::uint64_t wParam = 0, std::int64_t lParam = 0) {
    WindowMessage m;
    m.msg = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    return controller.WindowProc(m);
}

class OsdControllerTest : public ::testing::Test {
protected:
    OsdControllerTest() {
        timers.SetHandler([this](unsigned id) { controller.OnTimer(id); });
    }
    std::int64_t Post(std::uint32_t msg, std::uint64_t wParam = 0, std::int64_t lParam = 0) {
        return PostTo(controller, msg, wParam, lParam);
    }

    VirtualTimers timers;
    FakeView view;
    std::string stored = "Hello";
    int quits = 0;
    std::optional<ProfileGlance> profile;
    OsdController controller{
        view, timers, {[this] { return stored; }, [this] { return profile; }}, [this] { ++quits; }};
};

TEST_F(OsdControllerTest, ATextShowsForItsTimeAndANewerOneStartsItAgain) {
    Post(MSG_OSD_SHOW_TEXT, 50);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.shown, "Hello");
    timers.Advance(milliseconds(3000));
    stored = "Again";
    Post(MSG_OSD_SHOW_TEXT, 50);
    EXPECT_EQ(view.shown, "Again");
    timers.Advance(OsdController::kShowTime - milliseconds(1));
    EXPECT_TRUE(view.visible);
    timers.Advance(milliseconds(1));
    EXPECT_FALSE(view.visible);
    EXPECT_FALSE(timers.Running(OsdController::TIMER_HIDE_TEXT));
}

TEST_F(OsdControllerTest, NoStoredTextHidesWhatIsShown) {
    Post(MSG_OSD_SHOW_TEXT, 50);
    stored = "";
    Post(MSG_OSD_SHOW_TEXT, 50);
    EXPECT_FALSE(view.visible);
    EXPECT_FALSE(timers.Running(OsdController::TIMER_HIDE_TEXT));
}

TEST_F(OsdControllerTest, PositionMovesTheWindowAndCloseEndsTheProgram) {
    EXPECT_EQ(Post(MSG_OSD_POSITION, 0, (300 << 16) | 40), 1);
    EXPECT_EQ(view.at, (OsdPosition{300, 40}));
    // Messages it does not know change nothing.
    EXPECT_EQ(Post(WM_USER + 301, 1, 7), 0);
    EXPECT_EQ(Post(WM_COPYDATA), 0);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.at, (OsdPosition{300, 40}));

    Post(MSG_OSD_SHOW_TEXT, 50);
    Post(WM_CLOSE);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(view.visible);
    // What arrives while the loop winds down is dropped.
    Post(MSG_OSD_SHOW_TEXT, 50);
    Post(WM_CLOSE);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(quits, 1);
}

TEST_F(OsdControllerTest, AProfileChangeShowsTheProfileButWhatIsFoundAtFirstDoesNot) {
    const milliseconds look = OsdController::kProfileLookInterval;
    profile = ProfileGlance{0, "Default1"};
    controller.Start();
    timers.Advance(look);
    EXPECT_FALSE(view.visible);

    profile = ProfileGlance{1, "Race"};
    timers.Advance(look);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.shown, "Profile 2: Race");
    timers.Advance(OsdController::kShowTime);
    EXPECT_FALSE(view.visible);

    // A renamed profile is no change of profile.
    profile->name = "Rally";
    timers.Advance(look);
    EXPECT_FALSE(view.visible);

    // The monitor goes and comes back on another slot: where it stands now,
    // not a change.
    profile.reset();
    timers.Advance(look);
    profile = ProfileGlance{4, ""};
    timers.Advance(look);
    EXPECT_FALSE(view.visible);
    profile->slot = 2;
    timers.Advance(look);
    EXPECT_EQ(view.shown, "Profile 3");

    Post(WM_CLOSE);
    EXPECT_FALSE(timers.Running(OsdController::TIMER_LOOK_AT_PROFILE));
}

// KelmOSD with notifications on, the server's answers given by the test.
struct NotifyingOsd {
    NotifyingOsd() {
        timers.SetHandler([this](unsigned id) { controller.OnTimer(id); });
        controller.UseNotifications(notifier, [this](const std::string& why) { fallBacks.push_back(why); });
        controller.Start();
    }
    void ShowText(const std::string& text) {
        stored = text;
        PostTo(controller, MSG_OSD_SHOW_TEXT, kOsdShowTextWParam);
    }
    void FindServer(const std::string& error = "") { notifier.finds.at(0)({0, error}); }
    void AnswerLast(std::uint32_t id, const std::string& error = "") { notifier.sent.back().answer({id, error}); }

    VirtualTimers timers;
    FakeView view;
    RecordingNotifier notifier;
    std::string stored;
    std::optional<ProfileGlance> profile;
    std::vector<std::string> fallBacks;
    OsdController controller{view, timers, {[this] { return stored; }, [this] { return profile; }}, [] {}};
};

TEST(OsdNotificationsTest, TextsGoToTheServerEachInThePlaceOfTheOneBefore) {
    NotifyingOsd osd;
    ASSERT_EQ(osd.notifier.finds.size(), 1u);
    osd.ShowText("Hello");
    EXPECT_TRUE(osd.notifier.sent.empty()) << "held until a server is found";
    osd.FindServer();
    ASSERT_EQ(osd.notifier.sent.size(), 1u);
    const Notification& first = osd.notifier.sent[0].notification;
    EXPECT_EQ(first.appName, "KelmOSD");
    EXPECT_EQ(first.icon, "input-keyboard");
    EXPECT_EQ(first.summary, "Kelm");
    EXPECT_EQ(first.body, "Hello");
    EXPECT_EQ(first.expireTimeout, OsdController::kShowTime);
    EXPECT_EQ(osd.notifier.sent[0].replacesId, 0u);
    osd.AnswerLast(7);

    // Texts that are not UTF-8 are the Windows programs' Latin letters.
    osd.ShowText("Caf\xe9");
    EXPECT_EQ(osd.notifier.sent.at(1).notification.body, "Caf\xc3\xa9");
    EXPECT_EQ(osd.notifier.sent[1].replacesId, 7u);
    // While one call is out, only the newest of the texts that follow goes,
    // once it is answered, in the place of the one it answered for.
    osd.ShowText("One");
    osd.ShowText("Two");
    EXPECT_EQ(osd.notifier.sent.size(), 2u);
    osd.AnswerLast(8);
    EXPECT_EQ(osd.notifier.sent.at(2).notification.body, "Two");
    EXPECT_EQ(osd.notifier.sent[2].replacesId, 8u);
    osd.AnswerLast(8);

    osd.profile = ProfileGlance{0, "Default1"};
    osd.timers.Advance(OsdController::kProfileLookInterval);
    osd.profile = ProfileGlance{1, "Default2"};
    osd.timers.Advance(OsdController::kProfileLookInterval);
    EXPECT_EQ(osd.notifier.sent.at(3).notification.body, "Profile 2: Default2");
    EXPECT_EQ(osd.notifier.sent[3].replacesId, 8u);
    osd.AnswerLast(9);

    // No text takes ours away; the next one is a new notification.
    osd.ShowText("");
    EXPECT_EQ(osd.notifier.closed, std::vector<std::uint32_t>{9});
    osd.ShowText("Back");
    EXPECT_EQ(osd.notifier.sent.at(4).replacesId, 0u);
    osd.AnswerLast(10);

    osd.timers.Advance(OsdController::kNotifyAnswerTime + OsdController::kShowTime);
    EXPECT_EQ(osd.notifier.sent.size(), 5u);
    EXPECT_EQ(osd.view.shown, "") << "the window showed a text";
    EXPECT_FALSE(osd.view.visible);
    EXPECT_TRUE(osd.fallBacks.empty());
}

TEST(OsdNotificationsTest, WithoutAWorkingServerTheWindowTakesOverAndSaysWhyOnce) {
    using std::chrono::milliseconds;
    const milliseconds wait = OsdController::kNotifyAnswerTime;
    struct Case {
        const char* what;
        std::function<void(NotifyingOsd&)> fail;
        const char* why;
    };
    const Case cases[] = {
        {"no server",
         [](NotifyingOsd& osd) {
             osd.ShowText("Hello");
             osd.FindServer("org.freedesktop.DBus.Error.ServiceUnknown: no one");
         },
         "ServiceUnknown"},
        {"no answer to the search",
         [wait](NotifyingOsd& osd) {
             osd.ShowText("Hello");
             osd.timers.Advance(wait - milliseconds(1));
             EXPECT_FALSE(osd.view.visible);
             osd.timers.Advance(milliseconds(1));
             osd.FindServer();  // too late
         },
         "answer"},
        {"a failed call",
         [](NotifyingOsd& osd) {
             osd.FindServer();
             osd.ShowText("Hello");
             osd.AnswerLast(0, "org.freedesktop.DBus.Error.NoReply: gone");
         },
         "NoReply"},
        {"a call left unanswered",
         [wait](NotifyingOsd& osd) {
             osd.FindServer();
             osd.ShowText("Hello");
             osd.ShowText("Hello again");
             osd.timers.Advance(wait);
             osd.AnswerLast(7);  // too late
         },
         "answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NotifyingOsd osd;
        c.fail(osd);
        // The newest text not shown appears in the window at once.
        EXPECT_TRUE(osd.view.visible);
        EXPECT_EQ(osd.view.shown, osd.stored);
        ASSERT_EQ(osd.fallBacks.size(), 1u);
        EXPECT_NE(osd.fallBacks[0].find(c.why), std::string::npos) << osd.fallBacks[0];

        const std::size_t sent = osd.notifier.sent.size();
        osd.ShowText("Next");
        EXPECT_EQ(osd.view.shown, "Next");
        osd.timers.Advance(OsdController::kShowTime);
        EXPECT_FALSE(osd.view.visible);
        EXPECT_EQ(osd.notifier.sent.size(), sent);
        EXPECT_EQ(osd.fallBacks.size(), 1u);
    }
}

}  // namespace
}  // namespace kelm::test
