#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <string>
#include <vector>

#include "platform/gui/GuiApplication.h"
#include "platform/gui/KeyboardIcon.h"
#include "platform/gui/TrayIcon.h"
#include "tests/platform/gui/OffscreenApp.h"

namespace kelm {
namespace {

using test::ProcessEventsUntil;

class TrayIconTest : public testing::Test {
protected:
    TrayIconTest() {
        tray_.onLeftButtonDown = [this] { events_.push_back("left"); };
        tray_.onLeftDoubleClick = [this] { events_.push_back("double"); };
        tray_.onCommand = [this](unsigned id) { events_.push_back("command " + std::to_string(id)); };
        tray_.onTrace = [this](const char* line) { events_.push_back(line); };
    }

    QList<QAction*> Actions() { return tray_.Menu().actions(); }

    QApplication& app_ = test::OffscreenApp();  // before any widget
    TrayIcon tray_;
    std::vector<std::string> events_;
};

TEST_F(TrayIconTest, WithoutADisplayThereIsNoIconAndAddingOrRemovingIsHarmless) {
    EXPECT_FALSE(HasDisplay()) << "the offscreen platform shows nobody anything";
    EXPECT_FALSE(TrayIcon::Available());
    tray_.Remove();
    EXPECT_FALSE(tray_.Add());
    EXPECT_FALSE(tray_.Add());
    EXPECT_FALSE(tray_.Shown());
    tray_.Remove();
    EXPECT_TRUE(events_.empty());
}

TEST_F(TrayIconTest, MenuHoldsConfigurationAsTheBoldDefaultThenExit) {
    const QList<QAction*> actions = Actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Configuration");
    EXPECT_TRUE(actions[0]->font().bold());
    EXPECT_EQ(tray_.Menu().defaultAction(), actions[0]);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Exit");
    EXPECT_FALSE(actions[2]->font().bold());
}

TEST_F(TrayIconTest, MenuChoicesArriveAsCommandsOnceTheMenuIsDone) {
    emit tray_.Menu().aboutToShow();
    Actions()[2]->trigger();
    EXPECT_EQ(events_, std::vector<std::string>{"OnSystrayNotify WM_RBUTTONDOWN\n"}) << "not inside the menu";
    ASSERT_TRUE(ProcessEventsUntil([&] { return events_.size() == 2; }));
    EXPECT_EQ(events_.back(), "command 6002");
    Actions()[0]->trigger();
    ASSERT_TRUE(ProcessEventsUntil([&] { return events_.size() == 3; }));
    EXPECT_EQ(events_.back(), "command 6001");
}

TEST_F(TrayIconTest, ACommandForAnIconAlreadyGoneIsDropped) {
    auto tray = std::make_unique<TrayIcon>();
    bool delivered = false;
    tray->onCommand = [&](unsigned) { delivered = true; };
    tray->Menu().actions()[2]->trigger();
    tray.reset();  // "Exit" destroyed the owner before the command came
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}

TEST_F(TrayIconTest, MouseOnTheIconReachesItsCallbacks) {
    tray_.Activated(QSystemTrayIcon::Trigger);
    tray_.Activated(QSystemTrayIcon::DoubleClick);
    tray_.Activated(QSystemTrayIcon::MiddleClick);
    tray_.Activated(QSystemTrayIcon::Context);  // the menu opens by itself
    EXPECT_EQ(events_, (std::vector<std::string>{"left", "OnSystrayNotify WM_LBUTTONDBLCLK\n", "double"}));
}

TEST(TrayIconHeadless, KeptWithoutAnyApplicationItIsNeverShown) {
    // Runs in a process of its own (one per test case), before any
    // QApplication exists, as in a monitor started without a display.
    if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "a QApplication runs already in this process";
    TrayIcon tray;
    EXPECT_FALSE(TrayIcon::Available());
    EXPECT_FALSE(tray.Add());
    tray.Remove();
    EXPECT_FALSE(tray.Shown());
}

TEST(KeyboardIcon, DrawnAtEverySizeATrayAsks) {
    test::OffscreenApp();
    const QIcon icon = KeyboardIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 22, 32, 48}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // Transparent corners around an opaque keyboard body.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
}

}  // namespace
}  // namespace kelm
