// KelmFlash's windows in the test's own process on the offscreen platform,
// against the real KelmEmu through the real libdevbridge.so in a temporary
// program folder: every flow of the command line, updates that succeed and
// fail, and a close asked for while the pass runs. The dialogs are answered
// by clicking their own buttons; KelmWatch is mostly a window of the
// test's that notes the WM_CLOSE it gets and then goes, as the monitor does,
// and once the real one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "flash/CFlashDlg.h"
#include "flash/CFlashWnd.h"
#include "flash/FlashFlow.h"
#include "flash/FlashIds.h"
#include "flash/FlashLayout.h"
#include "flash/FlashProgram.h"
#include "keyboard/FirmwareUpdate.h"
#include "platform/NamedMutex.h"
#include "platform/ProcessLauncher.h"
#include "platform/WindowClient.h"
#include "platform/WindowEndpoint.h"
#include "platform/gui/QtMessageLoop.h"
#include "skin/Layout.h"
#include "skin/PictureButton.h"
#include "suite/SuiteIds.h"
#include "tests/flash/FlashHome.h"
#include "tests/monitor/Eventually.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

// KelmWatch as KelmFlash sees it: a window by its title that ends on WM_CLOSE.
class FakeMonitor {
public:
    explicit FakeMonitor(MessageLoop& loop) {
        endpoint_ = WindowEndpoint::Create(loop, kMonitorTitle, [this](const WindowMessage& message) {
            if (message.msg == WM_CLOSE) {
                closed = true;
                endpoint_.reset();
            }
            return std::int64_t{0};
        });
    }
    bool Running() const { return endpoint_ != nullptr; }
    bool closed = false;

private:
    std::unique_ptr<WindowEndpoint> endpoint_;
};

// Answers each dialog as it appears, by the button a test names for it, and
// watches the update window meanwhile.
class Driver {
public:
    std::map<QString, const char*> answers;  // dialog name -> button's layout name
    std::vector<QString> shown;              // the dialogs in the order they came
    std::vector<int> progress;               // each new position of the bar
    int maximum = 0;
    std::function<void(CFlashWnd&)> onWindow;  // on every look at the window

    Driver() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }

private:
    void Tick() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CFlashWnd*>(widget);
            if (window == nullptr || !window->isVisible()) continue;
            if (progress.empty() || progress.back() != window->ProgressValue())
                progress.push_back(window->ProgressValue());
            maximum = window->ProgressMaximum();
            if (onWindow) onWindow(*window);
        }
        auto* dialog = qobject_cast<CFlashDlg*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->property("answered").toBool()) return;
        dialog->setProperty("answered", true);
        shown.push_back(dialog->objectName());
        const auto answer = answers.find(dialog->objectName());
        const char* button = answer == answers.end() ? "BUTTON_OK" : answer->second;
        QTimer::singleShot(0, dialog, [dialog, button] {
            if (auto* found = dialog->findChild<skin::PictureButton*>(QString::fromLatin1(button))) found->click();
        });
    }
    QTimer timer_;
};

class FlashWindow : public ::testing::Test, protected FlashHome {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(ProgramPath("FlashPack/Skin/FlashWindow.png")));
        PrepareHome();
        std::filesystem::create_symlink(ProgramFolder() + "/FlashPack/Skin", home + "/FlashPack/Skin");
        ASSERT_NO_FATAL_FAILURE(StartEmu());
        loop = std::make_unique<QtMessageLoop>();
        monitor = std::make_unique<FakeMonitor>(*loop);
        ASSERT_TRUE(monitor->Running());
    }

    void TearDown() override {
        monitor.reset();
        loop.reset();
        LeaveHome();
    }

    int Run(const std::string& argument) {
        SystemLauncher launcher;
        return RunFlashWindows(argument, FlashFolders::FromEnvironment(), launcher);
    }

    int FirmwareVersion() { return nlohmann::json::parse(Ctl({"dump"}))["FWVersion"].get<int>(); }
    bool UpdateCommandsSent() { return Ctl({"log"}).find("set 1B") != std::string::npos; }
    std::unique_ptr<QtMessageLoop> loop;
    std::unique_ptr<FakeMonitor> monitor;
};

struct FlowCase {
    std::string argument;
    const char* answer;  // the opening dialog's button, if one is shown
    std::vector<QString> dialogs;
    bool updates;
};

TEST_F(FlashWindow, EachArgumentTakesItsFlowAndKelmWatchIsClosedEitherWay) {
    WriteImage(2049, 121);
    const std::vector<FlowCase> cases = {
        {"", "BUTTON_CANCEL", {"Confirm"}, false},        {"1", "BUTTON_EXIT", {"Confirm"}, false},
        {"2", "BUTTON_CANCEL", {"Confirm"}, false},       {"0", "BUTTON_OK", {"Notice"}, false},
        {"1", "BUTTON_OK", {"Confirm", "Success"}, true}, {"5", nullptr, {"Success"}, true},
    };
    for (const FlowCase& c : cases) {
        SCOPED_TRACE("argument \"" + c.argument + "\" answered " + (c.answer ? c.answer : "-"));
        monitor.reset();  // the title is free before another takes it
        monitor = std::make_unique<FakeMonitor>(*loop);
        ASSERT_TRUE(monitor->Running());
        Ctl({"firmware", "115"});
        Ctl({"reset-log"});
        std::filesystem::remove(home + "/KelmWatch.started");
        Driver driver;
        if (c.answer != nullptr) driver.answers = {{"Confirm", c.answer}, {"Notice", c.answer}};

        EXPECT_EQ(Run(c.argument), 0);
        EXPECT_EQ(driver.shown, c.dialogs);
        EXPECT_TRUE(Eventually([&] {
            QApplication::processEvents();
            return monitor->closed;
        })) << "KelmWatch was not closed";
        EXPECT_EQ(UpdateCommandsSent(), c.updates);
        EXPECT_EQ(FirmwareVersion(), c.updates ? 121 : 115);
        if (c.updates) {
            EXPECT_TRUE(Eventually([&] { return MonitorStarted(); }));
            // Three blocks: the bar ends full, at the block count.
            EXPECT_EQ(driver.maximum, 3);
            ASSERT_FALSE(driver.progress.empty());
            EXPECT_EQ(driver.progress.back(), 3);
            EXPECT_TRUE(std::is_sorted(driver.progress.begin(), driver.progress.end()));
        } else {
            EXPECT_FALSE(Eventually([&] { return MonitorStarted(); }, 200));
        }
    }
}

struct FailureCase {
    std::function<void()> prepare;
    std::string why;  // in the failure dialog
    bool sent;        // whether the keyboard was asked to update
};

TEST_F(FlashWindow, AFailedUpdateShowsWhyKeepsTheWindowAndLeavesKelmWatchClosed) {
    const std::vector<FailureCase> cases = {
        {[&] {
             Ctl({"fault", "block-fail", "1"});
         },
         "Block 2 of 3, data", true},
        {[&] { std::filesystem::remove(home + "/FlashPack/fw.bin"); }, "cannot be opened", false},
        {[&] { WriteImage(204801, 5); }, "at most 204800 bytes", false},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.why);
        WriteImage(2049, 121);
        monitor.reset();
        monitor = std::make_unique<FakeMonitor>(*loop);
        ASSERT_TRUE(monitor->Running());
        Ctl({"plug"});
        Ctl({"fault", "clear"});
        Ctl({"firmware", "115"});
        Ctl({"reset-log"});
        c.prepare();
        std::filesystem::remove(home + "/KelmWatch.started");

        Driver driver;
        QString detail;
        bool stayed = false;
        driver.onWindow = [&](CFlashWnd& window) {
            auto* failure = qobject_cast<CFlashDlg*>(QApplication::activeModalWidget());
            if (failure != nullptr && failure->objectName() == "Failure" && detail.isEmpty())
                if (auto* text = failure->findChild<QWidget*>("detail")) detail = text->property("text").toString();
            // After the failure dialog the window is still there; the user
            // closes it.
            if (window.Phase() == UpdatePhase::Failed && QApplication::activeModalWidget() == &window && !stayed) {
                stayed = true;
                QTimer::singleShot(300, &window, [&window] {
                    EXPECT_TRUE(window.isVisible());
                    window.close();
                });
            }
        };
        EXPECT_EQ(Run("9"), 1);
        EXPECT_EQ(driver.shown, std::vector<QString>{"Failure"});
        EXPECT_TRUE(stayed);
        EXPECT_NE(detail.indexOf(QString::fromStdString(c.why)), -1) << detail.toStdString();
        EXPECT_EQ(UpdateCommandsSent(), c.sent);
        EXPECT_TRUE(monitor->closed);
        EXPECT_FALSE(Eventually([&] { return MonitorStarted(); }, 300)) << "KelmWatch started after a failure";
    }
}

TEST_F(FlashWindow, ClosingWhileThePassRunsWaitsForItsEndAndEscapeNeverCloses) {
    WriteImage(6 * 1024, 123);
    Driver driver;
    bool asked = false;
    bool sawWaiting = false;
    int waitingAt = 0;  // the bar's position when the window said it waits
    driver.onWindow = [&](CFlashWnd& window) {
        if (window.Phase() == UpdatePhase::Waiting) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&window, &escape);
        }
        // WM_CLOSE by the window's title, as another program closes it.
        if (!asked && window.Phase() == UpdatePhase::Updating && window.ProgressValue() >= 2) {
            asked = true;
            EXPECT_TRUE(PostMessage(kFlashWindowTitle, WM_CLOSE, 0, 0));
        }
        if (!sawWaiting && window.StatusText() == QStringLiteral("Waiting for the keyboard to finish…")) {
            sawWaiting = true;
            waitingAt = window.ProgressValue();
        }
    };
    EXPECT_EQ(Run("5"), 0);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(sawWaiting);
    EXPECT_LT(waitingAt, 6) << "the close came too late to test anything";
    EXPECT_EQ(driver.shown, std::vector<QString>{"Success"});
    EXPECT_EQ(driver.progress.back(), 6);
    EXPECT_EQ(FirmwareVersion(), 123);
    EXPECT_TRUE(Eventually([&] { return MonitorStarted(); }));
}

TEST_F(FlashWindow, TheRealKelmWatchIsGoneBeforeTheUpdateAndRunsAgainAfterIt) {
    std::filesystem::remove(home + "/KelmWatch");
    std::filesystem::create_symlink(ProgramPath("KelmWatch"), home + "/KelmWatch");
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    WriteImage(2049, 120);
    monitor.reset();
    const pid_t watch = Spawn({ProgramPath("KelmWatch")}, folder / "watch.out");
    ASSERT_TRUE(Eventually([] { return FindWindow(kMonitorTitle); }, 10000)) << ReadFile(folder / "watch.out");
    Driver driver;
    bool monitorGoneFirst = false;
    driver.onWindow = [&](CFlashWnd& window) {
        if (window.Phase() == UpdatePhase::Updating && !monitorGoneFirst)
            monitorGoneFirst = WaitExit(watch, 0) == 0 && !FindWindow(kMonitorTitle);
    };
    EXPECT_EQ(Run("1"), 0);
    EXPECT_TRUE(monitorGoneFirst) << "KelmWatch still ran during the update";
    EXPECT_EQ(driver.shown, (std::vector<QString>{"Confirm", "Success"}));
    EXPECT_EQ(FirmwareVersion(), 120);
    EXPECT_TRUE(Eventually([] { return FindWindow(kMonitorTitle); }, 10000)) << "KelmWatch was not started again";
    // The monitor KelmFlash started is no child of ours: asked to end and
    // watched until its instance mutex is free.
    PostMessage(kMonitorTitle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Eventually([] { return !FindWindow(kMonitorTitle) && !NamedMutex::Open(kInstanceMutexName); }, 10000));
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
}

struct PictureCase {
    const char* base;
    QSize size;
    std::vector<std::string_view> buttons;  // their looks differ from state to state
};

TEST(FlashPictures, EachFormIsShapedAndSizedForItsLayoutsAndItsButtonsChangeWithTheirState) {
    namespace fl = flash_layout;
    const std::string skin = ProgramPath("FlashPack/Skin/");
    const QSize dialog(fl::kDialogWidth, fl::kDialogHeight);
    const std::vector<PictureCase> cases = {
        {"FlashWindow", QSize(fl::kWindowWidth, fl::kWindowHeight), {fl::kWindowExit}},
        {"FlashNotice", dialog, {fl::kDialogOk, fl::kDialogExit}},
        {"FlashConfirm", dialog, {fl::kConfirmOk, fl::kConfirmCancel, fl::kDialogExit}},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.base);
        const QImage background(QString::fromStdString(skin + c.base + ".png"));
        ASSERT_FALSE(background.isNull());
        EXPECT_EQ(background.size(), c.size);
        EXPECT_EQ(QImage(QString::fromStdString(skin + c.base + "@2x.png")).size(), c.size * 2);
        // The corners are outside the window's shape, the middle inside.
        EXPECT_EQ(background.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(background.pixel(c.size.width() - 1, c.size.height() - 1), qRgb(255, 255, 255));
        EXPECT_NE(background.pixel(c.size.width() / 2, c.size.height() / 2), qRgb(255, 255, 255));
        const QImage normal(QString::fromStdString(skin + c.base + "-normal.png"));
        for (const char* state : {"highlighted", "pressed"}) {
            const QImage other(QString::fromStdString(skin + c.base + "-" + state + ".png"));
            ASSERT_EQ(other.size(), c.size) << state;
            for (const std::string_view layout : c.buttons) {
                const QRect rect = skin::ParseLayout(layout).Rect();
                EXPECT_NE(normal.copy(rect), other.copy(rect)) << state << " " << layout;
            }
        }
    }
}

}  // namespace
}  // namespace kelm::test

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
