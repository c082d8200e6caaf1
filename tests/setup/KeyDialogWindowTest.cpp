// The key pages' dialogs as real windows on the offscreen platform, with
// the program folder's pictures and texts: what OK, Cancel and the close
// button hand back, the shortcut dialog's keys and boxes, the quick-launch
// path checks and file dialog, and the timer dialogs' rules end to end. On
// an Xvfb of the test's own, with keys injected through XTest: the shortcut
// dialog takes the keyboard while it is shown and lets go however it ends.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/InputInjector.h"
#include "platform/KeyboardGrab.h"
#include "settings/StoreLocation.h"
#include "settings/Text.h"
#include "setup/CConfirmDlg.h"
#include "setup/CQuickLaunchDlg.h"
#include "setup/CShortcutDlg.h"
#include "setup/CTimerDlg.h"
#include "tests/platform/TestClientWindow.h"
#include "tests/platform/TestServer.h"
#include "tests/platform/gui/OffscreenApp.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

constexpr std::uint8_t kUsageQ = 0x14;
constexpr unsigned kKeycodeOffset = 8;

// Runs script on the first dialog of type D that shows (a modal dialog runs
// its own loop, so the test acts from a timer); a D that is still open once
// the script is done is closed, so a test cannot hang.
template <typename D>
class WhenShown {
public:
    explicit WhenShown(std::function<void(D&)> script) : script_(std::move(script)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (running_) return;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<D*>(widget);
                if (dialog == nullptr || !dialog->isVisible()) continue;
                if (!script_) {
                    dialog->reject();
                    continue;
                }
                running_ = true;
                std::exchange(script_, nullptr)(*dialog);
                running_ = false;
                ran_ = true;
            }
        });
        timer_.start(10);
    }
    bool Ran() const { return ran_; }

private:
    std::function<void(D&)> script_;
    QTimer timer_;
    bool running_ = false;
    bool ran_ = false;
};

template <typename Widget = QAbstractButton>
Widget* Find(const QWidget& dialog, const char* name) {
    return dialog.findChild<Widget*>(QString::fromLatin1(name));
}

void Click(const QWidget& dialog, const char* name) {
    QAbstractButton* button = Find(dialog, name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

class KeyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* folder = std::getenv("KELM_PROGRAM_FOLDER");
        if (folder == nullptr) GTEST_SKIP() << "KELM_PROGRAM_FOLDER is not set";
        programFolder_ = WithTrailingSlash(folder);
        OffscreenApp();
        texts_ = LanguageTexts(programFolder_, kEnglishLanguageIndex);
    }
    std::string Text(TextId id) const { return std::string(texts_.Text(id)); }

    std::string programFolder_;
    LanguageTexts texts_;
};

// ---- Shortcut dialog, its own window's keys ---------------------------------

class ShortcutDialogTest : public KeyDialogTest {
protected:
    // No display: the dialog takes the keys that reach its own window.
    ScopedEnv noDisplay_{"DISPLAY", nullptr};
    static QString Key(const QWidget& dialog) { return Find<QLineEdit>(dialog, "EDIT_KEY")->text(); }
};

TEST_F(ShortcutDialogTest, EveryKeyWithARowIsChosenAndNoneDisablesTheOtherBoxes) {
    CShortcutDlg dialog(programFolder_, texts_, {}, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QAbstractButton* ok = Find(dialog, "BUTTON_OK");
    EXPECT_FALSE(ok->isEnabled()) << "no key yet";
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());

    // Keys that would move the focus or end a dialog are keys like others;
    // F13 has no key code.
    const std::pair<Qt::Key, const char*> keys[] = {{Qt::Key_Q, "Q"},        {Qt::Key_F13, "Q"},
                                                    {Qt::Key_Escape, "Esc"}, {Qt::Key_Return, "Enter"},
                                                    {Qt::Key_Tab, "Tab"},    {Qt::Key_W, "W"}};
    for (const auto& [key, shown] : keys) {
        QTest::keyClick(&dialog, key);
        EXPECT_EQ(Key(dialog), QString::fromLatin1(shown)) << key;
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_TRUE(ok->isEnabled());

    const char* others[] = {"Shift", "Ctrl", "Alt", "Win"};
    Click(dialog, "Ctrl");
    Click(dialog, "None");
    for (const char* name : others) {
        EXPECT_FALSE(Find(dialog, name)->isChecked()) << name;
        EXPECT_FALSE(Find(dialog, name)->isEnabled()) << name;
    }
    EXPECT_EQ(dialog.Choice()->modifiers, kShortcutNone);
    Click(dialog, "None");
    for (const char* name : others) EXPECT_TRUE(Find(dialog, name)->isEnabled()) << name;
    Click(dialog, "Alt");
    Click(dialog, "Shift");
    EXPECT_EQ(dialog.Choice()->modifiers, kShortcutAlt | kShortcutShift);
}

TEST_F(ShortcutDialogTest, OkHandsBackTheChoiceAndCancelOrCloseNothing) {
    const ShortcutChoice current{0x04, kShortcutCtrl};
    struct Case {
        const char* button;
        std::optional<std::uint8_t> usage;
    };
    for (const Case& c : {Case{"BUTTON_OK", kUsageQ}, Case{"BUTTON_CANCEL", {}}, Case{"BUTTON_EXIT", {}}}) {
        SCOPED_TRACE(c.button);
        WhenShown<CShortcutDlg> script([&](CShortcutDlg& dialog) {
            EXPECT_EQ(Key(dialog), QStringLiteral("A"));
            EXPECT_TRUE(Find(dialog, "Ctrl")->isChecked());
            QTest::keyClick(&dialog, Qt::Key_Q);
            Click(dialog, "Win");
            Click(dialog, c.button);
        });
        const auto choice = CShortcutDlg::Run(programFolder_, texts_, current, nullptr);
        EXPECT_TRUE(script.Ran());
        ASSERT_EQ(choice.has_value(), c.usage.has_value());
        if (!choice) continue;
        EXPECT_EQ(choice->usage, *c.usage);
        EXPECT_EQ(choice->modifiers, kShortcutCtrl | kShortcutWin);
    }
}

// ---- Quick-launch dialog ------------------------------------------------------

class QuickLaunchDialogTest : public KeyDialogTest {
protected:
    static QLineEdit* Path(const QWidget& dialog) { return Find<QLineEdit>(dialog, "Gaming path to executeable"); }
    static QString Notice(const QWidget& dialog) {
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (label->wordWrap()) return label->text();
        return {};
    }
};

TEST_F(QuickLaunchDialogTest, OkTakesOnlyAPathThatFitsWholeAndCancelOrCloseNothing) {
    const std::string current = "/usr/games/supertux2";
    const std::string chosen = "/opt/games/" + std::string(248, 'a');  // 259 bytes
    struct Case {
        const char* button;
        std::optional<std::string> result;
    };
    for (const Case& c : {Case{"BUTTON_OK", chosen}, Case{"BUTTON_CANCEL", {}}, Case{"BUTTON_EXIT", {}}}) {
        SCOPED_TRACE(c.button);
        WhenShown<CQuickLaunchDlg> script([&](CQuickLaunchDlg& dialog) {
            QAbstractButton* ok = Find(dialog, "BUTTON_OK");
            EXPECT_EQ(Path(dialog)->text().toStdString(), current);
            EXPECT_TRUE(ok->isEnabled());
            Path(dialog)->setText(QString::fromStdString(chosen + "x"));
            EXPECT_FALSE(ok->isEnabled());
            EXPECT_TRUE(Notice(dialog).contains(QStringLiteral("259"))) << Notice(dialog).toStdString();
            QTest::keyClick(Path(dialog), Qt::Key_Return);
            EXPECT_TRUE(dialog.isVisible()) << "a path that does not fit is never cut";
            Path(dialog)->setText(QStringLiteral("  "));
            EXPECT_FALSE(ok->isEnabled());
            EXPECT_TRUE(Notice(dialog).isEmpty());
            Path(dialog)->setText(QString::fromStdString(chosen));
            EXPECT_EQ(Path(dialog)->text().toStdString(), chosen);
            Click(dialog, c.button);
        });
        EXPECT_EQ(CQuickLaunchDlg::Run(programFolder_, texts_, current, nullptr), c.result);
        EXPECT_TRUE(script.Ran());
    }
}

TEST_F(QuickLaunchDialogTest, BrowsingStartsBesideTheCurrentProgramOrOnTheDesktopAndOffersPrograms) {
    TempFolder home;
    ScopedEnv homeEnv("HOME", home.Path().c_str());
    ScopedEnv configEnv("XDG_CONFIG_HOME", (home / "config").c_str());
    CQuickLaunchDlg dialog(programFolder_, texts_, "", nullptr);
    EXPECT_EQ(dialog.BrowseFolder(), QString::fromStdString(home.Path()));
    std::filesystem::create_directories(home / "Desktop");
    EXPECT_EQ(dialog.BrowseFolder(), QString::fromStdString(home / "Desktop"));

    std::filesystem::create_directories(home / "games");
    WriteFile(home / "games/racer", "#!/bin/sh\n");
    std::filesystem::permissions(home / "games/racer", std::filesystem::perms::owner_all);
    Path(dialog)->setText(QString::fromStdString(home / "games/gone"));
    EXPECT_EQ(dialog.BrowseFolder(), QString::fromStdString(home / "games"));

    WhenShown<QFileDialog> script([&](QFileDialog& files) {
        EXPECT_EQ(files.directory().absolutePath(), QString::fromStdString(home / "games"));
        EXPECT_EQ(files.nameFilters().size(), 2);
        EXPECT_TRUE(files.filter().testFlag(QDir::Executable)) << "programs are the files that may be executed";
        files.selectFile(QString::fromStdString(home / "games/racer"));
        static_cast<QDialog&>(files).accept();  // as the dialog's own Open does
    });
    Click(dialog, "browser1");
    EXPECT_TRUE(script.Ran());
    EXPECT_EQ(dialog.Path(), home / "games/racer");
}

// ---- Timer dialogs -------------------------------------------------------------

TimerRecord Timer(std::string_view name, int seconds) {
    TimerRecord timer;
    std::memset(&timer, 0, sizeof timer);
    timer.TimerSeconds = seconds;
    CopyField(timer.TimerName, name);
    return timer;
}

using Listing = std::vector<std::pair<std::string, int>>;

Listing Listed(const TimerList& timers) {
    Listing listed;
    for (const TimerRecord& timer : timers) listed.emplace_back(FieldText(timer.TimerName), timer.TimerSeconds);
    return listed;
}

class TimerDialogTest : public KeyDialogTest {
protected:
    static QLineEdit* Name(const QWidget& dialog) { return Find<QLineEdit>(dialog, "EDIT_PROFILE_NAME"); }
    static QSpinBox* Seconds(const QWidget& dialog) { return Find<QSpinBox>(dialog, "EDIT_SPIN"); }
    static QString Notice(const QWidget& dialog) {
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (label->wordWrap()) return label->text();
        return {};
    }
    const TimerList timers_{Timer("Egg", 60), Timer("Tea", 300)};
};

TEST_F(TimerDialogTest, CreateClosesOnlyOnOkWithANewNameAndHandsBackTheTrimmedTimer) {
    for (const char* button : {"BUTTON_OK", "BUTTON_CANCEL", "BUTTON_Exit"}) {
        SCOPED_TRACE(button);
        const bool ok = std::string_view(button) == "BUTTON_OK";
        WhenShown<CTimerDlg> script([&](CTimerDlg& dialog) {
            EXPECT_EQ(Seconds(dialog)->minimum(), 10);
            EXPECT_EQ(Seconds(dialog)->maximum(), 999);
            EXPECT_EQ(Name(dialog)->maxLength(), 24);
            QTest::keyClicks(Name(dialog), QStringLiteral(" egg "));
            Click(dialog, "BUTTON_OK");
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(Notice(dialog).toStdString(), Text(TextId::kTimerNameTaken));
            Name(dialog)->setText(QStringLiteral("  Pizza "));
            Seconds(dialog)->setValue(90);
            for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(Name(dialog), key);
                QTest::keyClick(Seconds(dialog), key);
            }
            EXPECT_TRUE(dialog.isVisible()) << "only the buttons end the dialog";
            Click(dialog, button);
        });
        const auto made = CTimerDlg::Create(programFolder_, texts_, timers_, nullptr);
        EXPECT_TRUE(script.Ran());
        ASSERT_EQ(made.has_value(), ok);
        if (!made) continue;
        EXPECT_EQ(FieldText(made->TimerName), "Pizza");
        EXPECT_EQ(made->TimerSeconds, 90);
    }
}

TEST_F(TimerDialogTest, EditSavesRenamesAndDeletesOnACopyThatOnlyOkKeeps) {
    for (const char* button : {"BUTTON_OK", "BUTTON_CANCEL"}) {
        SCOPED_TRACE(button);
        const bool ok = std::string_view(button) == "BUTTON_OK";
        WhenShown<CTimerDlg> script([&](CTimerDlg& dialog) {
            const auto menu = dialog.TimerMenu();
            ASSERT_EQ(menu->actions().size(), 2);
            EXPECT_EQ(menu->ItemWidth(), 167);
            for (int i = 0; i < 2; ++i) {
                EXPECT_EQ(skin::SkinMenu::CommandOf(menu->actions()[i]), 1000 + i);
                EXPECT_FALSE(menu->actions()[i]->isChecked());
            }
            EXPECT_EQ(Name(dialog)->text(), QString());
            EXPECT_EQ(Seconds(dialog)->value(), 10);

            dialog.ShowTimer(1);
            EXPECT_EQ(Find(dialog, "LIST_TIMER")->text(), QStringLiteral("Tea"));
            EXPECT_EQ(Seconds(dialog)->value(), 300);
            EXPECT_TRUE(dialog.TimerMenu()->actions()[1]->isChecked());
            Name(dialog)->setText(QStringLiteral("Egg"));
            Click(dialog, "BUTTON_SAVE");
            EXPECT_EQ(Notice(dialog).toStdString(), Text(TextId::kTimerNameTaken));
            Name(dialog)->setText(QStringLiteral(" Coffee "));
            Click(dialog, "BUTTON_SAVE");
            EXPECT_EQ(Listed(dialog.Timers()), (Listing{{"Egg", 60}, {"Coffee", 300}}));
            EXPECT_EQ(Find(dialog, "LIST_TIMER")->text(), QStringLiteral("Coffee"));

            // Delete asks first: Cancel keeps the timer, OK removes it.
            dialog.ShowTimer(0);
            for (const bool confirm : {false, true}) {
                WhenShown<CConfirmDlg> answer(
                    [&](CConfirmDlg& question) { Click(question, confirm ? "BUTTON_OK" : "BUTTON_CANCEL"); });
                Click(dialog, "BUTTON_DELETE");
                EXPECT_TRUE(answer.Ran());
            }
            EXPECT_EQ(Listed(dialog.Timers()), (Listing{{"Coffee", 300}}));
            EXPECT_EQ(Name(dialog)->text(), QString());

            // OK saves the shown fields as Save does.
            dialog.ShowTimer(0);
            Seconds(dialog)->setValue(45);
            Click(dialog, button);
        });
        TimerList timers = timers_;
        EXPECT_EQ(CTimerDlg::Edit(programFolder_, texts_, timers, nullptr), ok);
        EXPECT_TRUE(script.Ran());
        EXPECT_EQ(Listed(timers), (ok ? Listing{{"Coffee", 45}} : Listed(timers_)));
    }
}

// ---- Shortcut dialog on an X display -------------------------------------------

class ShortcutGrabTest : public KeyDialogTest {
protected:
    void SetUp() override {
        KeyDialogTest::SetUp();
        if (IsSkipped()) return;
        xvfb_ = XvfbServer::Start();
        if (!xvfb_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        display_.emplace("DISPLAY", xvfb_->Display().c_str());
        client_ = TestClientWindow::Open(xvfb_->Display());
        ASSERT_TRUE(client_);
        injector_ = OpenXTestInjector(xvfb_->Display().c_str());
        ASSERT_TRUE(injector_);
    }
    void Type(std::uint16_t inputCode) {
        injector_->KeyDown(inputCode);
        injector_->KeyUp(inputCode);
    }
    // The window the test holds focused has the key, and nothing else came.
    void ExpectTheWindowHas(std::uint16_t inputCode) {
        ASSERT_TRUE(client_->WaitForEvents(2, std::chrono::seconds(5)));
        using E = ClientEvent;
        const unsigned keycode = inputCode + kKeycodeOffset;
        EXPECT_EQ(client_->Events(), (std::vector<E>{{E::KeyDown, keycode, {}}, {E::KeyUp, keycode, {}}}));
        client_->Clear();
    }
    static QString Key(const QWidget& dialog) { return Find<QLineEdit>(dialog, "EDIT_KEY")->text(); }

    std::unique_ptr<XvfbServer> xvfb_;
    std::optional<ScopedEnv> display_;
    std::unique_ptr<TestClientWindow> client_;
    std::unique_ptr<IInputInjector> injector_;
};

TEST_F(ShortcutGrabTest, TheDialogHasTheKeyboardWhileShownAndLetsGoHoweverItEnds) {
    for (const char* ending : {"BUTTON_OK", "BUTTON_CANCEL", "BUTTON_EXIT", "destroyed"}) {
        SCOPED_TRACE(ending);
        auto dialog = std::make_unique<CShortcutDlg>(programFolder_, texts_, ShortcutChoice{}, nullptr);
        Type(KEY_B);
        ExpectTheWindowHas(KEY_B);

        dialog->show();
        Type(KEY_Q);
        ASSERT_TRUE(ProcessEventsUntil([&] { return Key(*dialog) == QStringLiteral("Q"); }));
        Type(KEY_102ND);
        QTest::qWait(100);
        EXPECT_EQ(Key(*dialog), QStringLiteral("Q")) << "a key without a row changes nothing";
        EXPECT_TRUE(client_->Events().empty()) << "no key reached another window";

        if (std::string_view(ending) == "destroyed") {
            dialog.reset();
        } else {
            Click(*dialog, ending);
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_EQ(dialog->result(),
                      std::string_view(ending) == "BUTTON_OK" ? QDialog::Accepted : QDialog::Rejected);
            EXPECT_EQ(dialog->Choice()->usage, kUsageQ);
        }
        Type(KEY_B);
        ExpectTheWindowHas(KEY_B);
    }
}

TEST_F(ShortcutGrabTest, AKeyboardStillHeldWhenTheDialogShowsIsTakenOnceLetGo) {
    // As the menu that opened the dialog may still hold the keyboard.
    auto menu = ConnectKeyboardGrab(xvfb_->Display().c_str());
    ASSERT_TRUE(menu && menu->GrabKeyboard());
    CShortcutDlg dialog(programFolder_, texts_, {}, nullptr);
    dialog.show();
    menu->UngrabKeyboard();
    // Until the dialog tries again, keys go to the focused window.
    ASSERT_TRUE(ProcessEventsUntil([&] {
        Type(KEY_Q);
        QTest::qWait(50);
        return Key(dialog) == QStringLiteral("Q");
    }));
    client_->Clear();
    Type(KEY_W);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Key(dialog) == QStringLiteral("W"); }));
    EXPECT_TRUE(client_->Events().empty());
}

}  // namespace
}  // namespace kelm::test
