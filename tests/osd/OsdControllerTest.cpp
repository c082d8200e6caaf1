// KelmOSD's window procedure on a fake view and virtual time.
#include <gtest/gtest.h>

#include "osd/OsdController.h"
#include "osd/OsdWindow.h"
#include "suite/SuiteIds.h"
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

class OsdControllerTest : public ::testing::Test {
protected:
    OsdControllerTest() {
        timers.SetHandler([this](unsigned id) { controller.OnTimer(id); });
    }
    std::int64_t Post(std::uint32_t msg, std::uint64_t wParam = 0, std::int64_t lParam = 0) {
        WindowMessage m;
        m.msg = msg;
        m.wParam = wParam;
        m.lParam = lParam;
        return controller.WindowProc(m);
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

}  // namespace
}  // namespace kelm::test
