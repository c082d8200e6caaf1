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
#include <optional>
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
// server shows it there (Qt may replace its first native window while
// embedding).
std::vector<QWidget*> EmbeddedIcons() {
    std::vector<QWidget*> icons;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (std::strcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 && widget->isVisible() &&
            test::WindowDocked(XDisplay::Display(), widget->winId()))
            icons.push_back(widget);
    return icons;
}

QWidget* EmbeddedIcon() {
    const std::vector<QWidget*> icons = EmbeddedIcons();
    return icons.empty() ? nullptr : icons.front();
}

// A notification area (trayer, a small XEmbed tray) on the test's display,
// once it takes icons.
std::unique_ptr<test::TestServer> StartNotificationArea() {
    auto host = test::TestServer::Spawn(
        "trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "200", "--height", "32"});
    if (host && !ProcessEventsUntil([] { return TrayIcon::Available(); })) host.reset();
    return host;
}

#define REQUIRE_NOTIFICATION_AREA_PROGRAM() \
    if (!test::ProgramInstalled("trayer")) GTEST_SKIP() << "no notification area program (trayer) installed"

// At login the panel holding the notification area may start after the
// program, and a panel may be restarted: the icon is shown all the same and
// docks wherever a notification area turns up.
TEST(Display, TheIconDocksInANotificationAreaThatComesLaterAndInEachOneAfter) {
    REQUIRE_DISPLAY();
    REQUIRE_NOTIFICATION_AREA_PROGRAM();
    ASSERT_FALSE(TrayIcon::Available());
    TrayIcon tray;
    ASSERT_TRUE(tray.Add());
    EXPECT_TRUE(tray.Shown());

    auto host = StartNotificationArea();
    ASSERT_TRUE(host);
    ASSERT_TRUE(ProcessEventsUntil([] { return EmbeddedIcon() != nullptr; }));

    host.reset();
    ASSERT_TRUE(ProcessEventsUntil([] { return !TrayIcon::Available() && EmbeddedIcon() == nullptr; }));
    host = StartNotificationArea();
    ASSERT_TRUE(host);
    ASSERT_TRUE(ProcessEventsUntil([] { return EmbeddedIcon() != nullptr; }));

    // Removed, it stays away from the next notification area: by the time
    // a shown icon has docked there, it would have too.
    tray.Remove();
    ASSERT_TRUE(ProcessEventsUntil([] { return EmbeddedIcon() == nullptr; }));
    host.reset();
    TrayIcon witness;
    ASSERT_TRUE(witness.Add());
    host = StartNotificationArea();
    ASSERT_TRUE(host);
    ASSERT_TRUE(ProcessEventsUntil([] { return EmbeddedIcon() != nullptr; }));
    EXPECT_EQ(EmbeddedIcons().size(), 1u);
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
    REQUIRE_NOTIFICATION_AREA_PROGRAM();
    const auto host = StartNotificationArea();
    ASSERT_TRUE(host);

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

// The box ShowMessageBox shows, once it is on the screen.
QMessageBox* ShownMessageBox() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) return box;
    return nullptr;
}

TEST(Display, MessageBoxIsShownUntilClosed) {
    REQUIRE_DISPLAY();
    QString seenText;
    QString seenTitle;
    // Looks for the box while ShowMessageBox runs its own loop.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QMessageBox* box = ShownMessageBox();
        if (box == nullptr) return;
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

// A program whose only window is its tray icon: the click on the icon
// brings the box it has open back in front of whatever covered it.
TEST(Display, AClickOnTheIconBringsTheOpenMessageBoxToTheFront) {
    REQUIRE_DISPLAY();
    REQUIRE_NOTIFICATION_AREA_PROGRAM();
    const auto host = StartNotificationArea();
    ASSERT_TRUE(host);
    EXPECT_FALSE(RaiseMessageBox()) << "no box is open";
    TrayIcon tray;
    tray.onLeftButtonDown = [] { RaiseMessageBox(); };
    ASSERT_TRUE(tray.Add());
    ASSERT_TRUE(ProcessEventsUntil([] { return EmbeddedIcon() != nullptr; }));

    // The steps run from a timer while ShowMessageBox runs its own loop;
    // each is tried again until it is done.
    std::optional<test::OtherProgramWindow> cover;
    const auto inFront = [](unsigned long upper, unsigned long lower) {
        return test::FocusedWindow(XDisplay::Display()) == upper &&
               test::StackedAbove(XDisplay::Display(), upper, lower);
    };
    enum class Step { Cover, Covered, Click, Raised, Done } step = Step::Cover;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto clicked = deadline;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QMessageBox* box = ShownMessageBox();
        if (box == nullptr) return;
        const auto now = std::chrono::steady_clock::now();
        if (now > deadline) box->accept();
        switch (step) {
            case Step::Cover: {
                const QRect over = box->frameGeometry().adjusted(-20, -20, 20, 20);
                cover.emplace(XDisplay::Display(), over.x(), over.y(), over.width(), over.height());
                step = Step::Covered;
                break;
            }
            case Step::Covered:
                if (inFront(cover->Id(), box->winId())) step = Step::Click;
                break;
            case Step::Click:
                if (QWidget* icon = EmbeddedIcon(); icon != nullptr && ClickOn(*icon, icon->rect().center(), 1, 1)) {
                    clicked = now;
                    step = Step::Raised;
                }
                break;
            case Step::Raised:
                if (inFront(box->winId(), cover->Id())) {
                    step = Step::Done;
                    box->accept();
                } else if (now - clicked > std::chrono::seconds(1)) {
                    step = Step::Click;  // the click met a window being replaced
                }
                break;
            case Step::Done:
                break;
        }
    });
    driver.start(20);
    ShowMessageBox("Could not map view of file.");
    EXPECT_EQ(step, Step::Done) << "stopped at step " << static_cast<int>(step) << " (0 cover, 2 click, 3 raised)";
    EXPECT_FALSE(RaiseMessageBox()) << "the box is closed";
}

TEST(Display, MessageBoxFromAnotherThreadGoesToStandardError) {
    REQUIRE_DISPLAY();
    testing::internal::CaptureStderr();
    std::thread([] { ShowMessageBox("from a worker"); }).join();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(program_invocation_short_name) + ": from a worker\n");
}

}  // namespace
}  // namespace kelm
