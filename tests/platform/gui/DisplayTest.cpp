// The Qt pieces on a real X display: an Xvfb started for this process, on
// which a QApplication runs with the xcb platform. Every test is skipped
// where Xvfb is not installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <thread>

#include "platform/gui/GuiApplication.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/TrayIcon.h"
#include "tests/platform/TestServer.h"
#include "tests/settings/TestFolder.h"

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
