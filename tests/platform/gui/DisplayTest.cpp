// The Qt pieces on a real X display: an Xvfb started for this process, on
// which a QApplication runs with the xcb platform. Every test is skipped
// where Xvfb is not installed.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/GuiApplication.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/TrayIcon.h"
#include "tests/platform/TestServer.h"
#include "tests/platform/gui/FakePointer.h"
#include "tests/support/ScopedEnv.h"

namespace kelm {
namespace {

class XDisplay final : public testing::Environment {
public:
    void SetUp() override {
        xvfb_ = test::XvfbServer::Start();
        if (!xvfb_) return;
        ::setenv("DISPLAY", xvfb_->Display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    // The application ends before its display does.
    void TearDown() override {
        app_.reset();
        xvfb_.reset();
    }
    static bool Ready() { return app_ != nullptr; }
    static const std::string& Display() { return xvfb_->Display(); }

private:
    static inline std::unique_ptr<test::XvfbServer> xvfb_;
    static inline std::unique_ptr<QApplication> app_;
    static inline int argc_ = 1;
    static inline char name_[] = "gui_display_tests";
    static inline char* argv_[] = {name_, nullptr};
};

testing::Environment* const g_display = testing::AddGlobalTestEnvironment(new XDisplay);

#define REQUIRE_DISPLAY() \
    if (!XDisplay::Ready()) GTEST_SKIP() << "Xvfb is not installed or did not start"

TEST(Display, ReachableOnlyWhereAnXServerAnswers) {
    REQUIRE_DISPLAY();
    EXPECT_TRUE(CanReachDisplay());
    EXPECT_TRUE(HasDisplay());
    {
        const test::ScopedEnv none("DISPLAY", nullptr);
        EXPECT_FALSE(CanReachDisplay());
    }
    {
        const test::ScopedEnv dead("DISPLAY", ":4095");
        EXPECT_FALSE(CanReachDisplay());
    }
}

TEST(Display, BareXServerHasNoNotificationArea) {
    REQUIRE_DISPLAY();
    EXPECT_FALSE(TrayIcon::Available());
    TrayIcon tray;
    tray.Remove();
    EXPECT_FALSE(tray.Add());
    EXPECT_FALSE(tray.Shown());
    tray.Remove();
}

// Processes events until done() or the patience has run out; false then.
bool ProcessEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// The window Qt puts into the notification area for a shown icon, once the
// server shows it (Qt may replace its first native window while embedding).
QWidget* EmbeddedIcon() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (std::strcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 && widget->isVisible() &&
            test::WindowViewable(XDisplay::Display(), widget->winId()))
            return widget;
    return nullptr;
}

bool ClickOn(QWidget& widget, QPoint at, int button, int times) {
    return test::ClickInWindow(XDisplay::Display(), widget.winId(), at.x(), at.y(), button, times);
}

// Qt may replace the icon's window while it is being embedded, and a click
// on the window being replaced is lost: the right click is repeated until
// the menu opens.
bool RightClickUntilMenuOpens(TrayIcon& tray) {
    for (int attempt = 0; attempt < 20 && !tray.Menu().isVisible(); ++attempt) {
        QWidget* icon = nullptr;
        if (!ProcessEventsUntil([&] { return (icon = EmbeddedIcon()) != nullptr; })) return false;
        ClickOn(*icon, icon->rect().center(), 3, 1);
        ProcessEventsUntil([&] { return tray.Menu().isVisible(); }, std::chrono::milliseconds(500));
    }
    return tray.Menu().isVisible();
}

// A notification area (trayer, a small XEmbed tray) on the test's display:
// the icon is really shown, and the mouse on it is a person's mouse.
TEST(Display, InANotificationAreaTheIconAnswersTheMouse) {
    REQUIRE_DISPLAY();
    if (!test::ProgramInstalled("trayer")) GTEST_SKIP() << "no notification area program (trayer) installed";
    const auto host = test::TestServer::Spawn(
        "trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "200", "--height", "32"});
    ASSERT_TRUE(host);
    ASSERT_TRUE(ProcessEventsUntil([] { return TrayIcon::Available(); }));

    TrayIcon tray;
    std::vector<std::string> events;
    tray.onLeftButtonDown = [&] { events.push_back("left"); };
    tray.onLeftDoubleClick = [&] { events.push_back("double"); };
    tray.onCommand = [&](unsigned id) { events.push_back("command " + std::to_string(id)); };
    tray.onTrace = [&](const char* line) { events.push_back(line); };
    ASSERT_TRUE(tray.Add());
    EXPECT_TRUE(tray.Add());
    ASSERT_TRUE(ProcessEventsUntil([] { return EmbeddedIcon() != nullptr; }));
    EXPECT_EQ(EmbeddedIcon()->toolTip(), "VELDAN Kelm");

    // Right button: the menu; "Exit" chosen in it arrives as command 6002.
    ASSERT_TRUE(RightClickUntilMenuOpens(tray));
    QAction* exit = tray.Menu().actions().at(2);
    ASSERT_TRUE(ClickOn(tray.Menu(), tray.Menu().actionGeometry(exit).center(), 1, 1));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !events.empty() && events.back() == "command 6002"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"OnSystrayNotify WM_RBUTTONDOWN\n", "command 6002"}));

    // Left button twice in a row: a click, then the double click.
    events.clear();
    QWidget* icon = EmbeddedIcon();
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(ClickOn(*icon, icon->rect().center(), 1, 2));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !events.empty() && events.back() == "double"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"left", "OnSystrayNotify WM_LBUTTONDBLCLK\n", "double"}));

    tray.Remove();
    EXPECT_FALSE(tray.Shown());
    ASSERT_TRUE(ProcessEventsUntil([] { return EmbeddedIcon() == nullptr; }));
    tray.Remove();
}

TEST(Display, MessageBoxIsShownUntilClosed) {
    REQUIRE_DISPLAY();
    QString seenText;
    QString seenTitle;
    // Looks for the modal box while ShowMessageBox runs its own loop.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        seenText = box->text();
        seenTitle = box->windowTitle();
        box->accept();
    });
    closer.start(20);
    testing::internal::CaptureStderr();
    ShowMessageBox("Could not map view of file.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(seenText, "Could not map view of file.");
    EXPECT_EQ(seenTitle, "VELDAN Kelm");
}

TEST(Display, MessageBoxFromAnotherThreadGoesToStandardError) {
    REQUIRE_DISPLAY();
    testing::internal::CaptureStderr();
    std::thread([] { ShowMessageBox("from a worker"); }).join();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(program_invocation_short_name) + ": from a worker\n");
}

}  // namespace
}  // namespace kelm
