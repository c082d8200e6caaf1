// The real main window on the offscreen platform, with the program
// folder's pictures and texts, a fake monitor link and an apply the test
// answers: controls found by their layout names, clicked and typed at as a
// user would.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "platform/ProcessLauncher.h"
#include "settings/IniFile.h"
#include "setup/CAdvancedPage.h"
#include "setup/CConfirmDlg.h"
#include "setup/CKeyPage.h"
#include "setup/CLanguageDlg.h"
#include "setup/CSetupDlg.h"
#include "setup/CUpdatePage.h"
#include "setup/KeyboardPicture.h"
#include "setup/SkinSet.h"
#include "tests/platform/gui/OffscreenApp.h"
#include "tests/setup/FakeMonitorLink.h"
#include "tests/setup/SetupDoubles.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm::test {
namespace {

class NoLauncher final : public ProcessLauncher {
public:
    bool StartProgram(const std::string&, const std::vector<std::string>&) override { return false; }
    bool OpenDocument(const std::string&) override { return false; }
};

constexpr const char* kTabs[] = {"Main", "Hot Grid", "Media F", "Advanced", "Update"};

class SetupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* programFolder = std::getenv("KELM_PROGRAM_FOLDER");
        if (programFolder == nullptr) GTEST_SKIP() << "KELM_PROGRAM_FOLDER is not set";
        programFolder_ = WithTrailingSlash(programFolder);
        OffscreenApp();
        // Slot 4 differs from slot 1 in what the settings page shows; slot 3
        // is the Windows profile.
        SettingsRecord& block = *monitor.block;
        block.CurrentProfile = 0;
        block.WindowsProfile = 2;
        block.Profiles[0].ModifyKey[2] = 0;
        block.Profiles[3].ModifyKey[2] = 1;
        block.Profiles[3].KBSpeed = 20;
        block.Profiles[3].LtBrightness = block.Profiles[0].LtBrightness == 1 ? 2 : 1;
        block.Profiles[3].Keys[0].FunctionCode = 0xC1;  // M1: Calculator

        // A confirmation would wait for a user: it is answered Cancel and
        // the test fails instead of hanging.
        QObject::connect(&dialogGuard_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<CConfirmDlg*>(QApplication::activeModalWidget())) {
                ++dialogsOpened_;
                dialog->reject();
            }
        });
        dialogGuard_.start(20);

        window = std::make_unique<CSetupDlg>(session, launcher_, programFolder_);
        controller = std::make_unique<SetupController>(session, *window, runner);
        window->Attach(*controller);
        controller->Start();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override { EXPECT_EQ(dialogsOpened_, 0) << "a dialog that waits for the user was opened"; }

    // Several controls share a layout name (the markers): index picks one,
    // in the order they were made.
    template <typename Widget = QAbstractButton>
    Widget* Find(const char* name, int index = 0) const {
        const auto found = window->findChildren<Widget*>(QString::fromLatin1(name));
        return index < found.size() ? found[index] : nullptr;
    }
    void Click(const char* name, int index = 0) {
        QAbstractButton* button = Find(name, index);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    ProfileRecord& Profile(int slot) { return session.Working().Profiles[slot]; }

    std::string programFolder_;
    TempProgramFolder folder;
    FakeMonitorLink monitor;
    SetupSession session{monitor, folder.Where()};
    NoLauncher launcher_;
    HeldRunner runner;
    QTimer dialogGuard_;
    int dialogsOpened_ = 0;
    std::unique_ptr<CSetupDlg> window;
    std::unique_ptr<SetupController> controller;
};

TEST_F(SetupWindowTest, ATabShowsItsPageAndIsTheOnlyOneCheckedAndASecondClickChangesNothing) {
    const auto shown = [](auto* page) { return page != nullptr && page->isVisible(); };
    for (int page = CSetupDlg::kPageCount - 1; page >= 0; --page) {
        for (int click = 0; click < 2; ++click) {
            Click(kTabs[page]);
            EXPECT_EQ(window->VisiblePage(), page);
            for (int tab = 0; tab < CSetupDlg::kPageCount; ++tab)
                EXPECT_EQ(Find(kTabs[tab])->isChecked(), tab == page) << kTabs[tab] << " after " << kTabs[page];
            EXPECT_EQ(shown(window->findChild<CAdvancedPage*>()), page == CSetupDlg::kAdvancedPage);
            EXPECT_EQ(shown(window->findChild<CUpdatePage*>()), page == CSetupDlg::kUpdatePage);
        }
    }
}

TEST_F(SetupWindowTest, TheSettingsPageShowsTheSelectedSlotAndItsControlsEditIt) {
    Click("Advanced");
    const auto* rate = Find<skin::SkinSlider>("Repeat Rate");
    const auto* brightness = Find<skin::SkinSlider>("Brightness");
    const QAbstractButton* leftWindows = Find("Left Window");
    ASSERT_TRUE(rate && brightness && leftWindows);
    EXPECT_EQ(rate->Value(), Profile(0).KBSpeed);
    EXPECT_FALSE(leftWindows->isChecked());

    Click("Profile 4");
    EXPECT_EQ(session.CurrentSlot(), 3);
    for (int slot = 0; slot < kProfileCount; ++slot)
        EXPECT_EQ(Find(("Profile " + std::to_string(slot + 1)).c_str())->isChecked(), slot == 3) << slot;
    EXPECT_EQ(rate->Value(), 20);
    EXPECT_EQ(brightness->Value(), Profile(3).LtBrightness);
    EXPECT_TRUE(leftWindows->isChecked());

    // A switch toggles its field of the selected profile only.
    for (const std::int32_t expected : {0, 1}) {
        Click("Left Window");
        EXPECT_EQ(Profile(3).ModifyKey[2], expected);
        EXPECT_EQ(leftWindows->isChecked(), expected == 1);
    }
    EXPECT_EQ(Profile(0).ModifyKey[2], 0);

    // The repeat delay slider runs opposite to the value it stores.
    auto* delay = Find<skin::SkinSlider>("Repeat Delay");
    ASSERT_NE(delay, nullptr);
    delay->setFocus();
    QTest::keyClick(delay, Qt::Key_Home);
    EXPECT_EQ(delay->Value(), 0);
    EXPECT_EQ(Profile(3).KBDelay, 3);
    QTest::keyClick(delay, Qt::Key_End);
    EXPECT_EQ(delay->Value(), 3);
    EXPECT_EQ(Profile(3).KBDelay, 0);
}

TEST_F(SetupWindowTest, TheLanguageChosenRelabelsTheWindow) {
    constexpr int kSwedish = 12;
    const QString caption =
        Utf8(IniFile(HelpFilePath(programFolder_, kSwedish))
                 .ReadString("Strings", std::to_string(static_cast<int>(TextId::kTabAdvanced)), ""));
    ASSERT_FALSE(caption.isEmpty());
    ASSERT_NE(Find("Advanced")->text(), caption);

    // The chooser runs its own loop: its entry is clicked from there, and
    // a chooser still open after that is closed, so the test cannot hang.
    bool clicked = false;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<CLanguageDlg*>(widget);
            if (dialog == nullptr || !dialog->isVisible()) continue;
            auto* entry = dialog->findChild<QAbstractButton*>(QStringLiteral("L%1").arg(kSwedish + 1));
            if (clicked || entry == nullptr) {
                dialog->reject();
            } else {
                clicked = true;
                QTest::mouseClick(entry, Qt::LeftButton);
            }
        }
    });
    chooser.start(10);
    Click("button language");
    chooser.stop();

    EXPECT_TRUE(clicked);
    EXPECT_EQ(session.Language(), kSwedish);
    EXPECT_EQ(Find("Advanced")->text(), caption);
    EXPECT_EQ(Find("button language")->text(), QStringLiteral("SV"));
}

TEST_F(SetupWindowTest, OkAndApplyAreDisabledWhileAnApplyRuns) {
    Click("Apply");
    ASSERT_EQ(runner.modes, std::vector<int>{0});
    EXPECT_FALSE(Find("OK")->isEnabled());
    EXPECT_FALSE(Find("Apply")->isEnabled());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    Click("OK");
    Click("Apply");
    EXPECT_EQ(runner.modes.size(), 1u);

    runner.Answer(1);
    EXPECT_TRUE(Find("OK")->isEnabled());
    EXPECT_TRUE(Find("Apply")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SetupWindowTest, TheMarkedSlotsMarkerClearsWithoutAsking) {
    ASSERT_TRUE(Find("windows profile", 2)->isChecked());
    Click("windows profile", 2);
    EXPECT_EQ(session.Working().WindowsProfile, -1);
    for (int slot = 0; slot < kProfileCount; ++slot) EXPECT_FALSE(Find("windows profile", slot)->isChecked()) << slot;
}

TEST_F(SetupWindowTest, AKeysFieldOpensItsMenuAndShowsTheChoiceAndASecondClickOnlyClosesIt) {
    auto* page = window->findChild<CKeyPage*>();
    ASSERT_TRUE(page != nullptr && page->isVisible());
    constexpr int kM1Slot = 2;
    const auto outline = [](const QMenu* menu) {
        QStringList entries;
        for (const QAction* action : menu->actions()) entries << (action->isSeparator() ? "-" : action->text());
        return entries.join('|');
    };
    const auto menuClosed = [page] { return page->OpenMenu() == nullptr; };

    Click("M1");
    skin::SkinMenu* menu = page->OpenMenu();
    ASSERT_TRUE(menu != nullptr && menu->isVisible());
    EXPECT_EQ(outline(menu),
              "DuoLayer[+] Kelm|VELDAN Pact|Macro + Preset Function|Assign a Timer|Profile|Multimedia|"
              "Internet Explorer|System|-|Standard|Assign a Shortcut|EMail|Calculator|My Computer|IE Browser|"
              "Quicklaunch|Disabled|Open Driver");
    EXPECT_TRUE(Find("M1")->isChecked());
    const auto actions = menu->actions();
    const auto disabled = std::find_if(actions.begin(), actions.end(),
                                       [](const QAction* action) { return action->text() == "Disabled"; });
    ASSERT_NE(disabled, actions.end());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(*disabled).center());
    ASSERT_TRUE(ProcessEventsUntil([&] { return page->Field(kM1Slot).Label() == "Disabled"; }));
    EXPECT_EQ(Profile(0).Keys[0].FunctionCode, 0x00);
    EXPECT_EQ(session.Working().Flags.KeyChanged[0][0], 1);
    EXPECT_FALSE(Find("M1")->isChecked());
    ASSERT_TRUE(ProcessEventsUntil(menuClosed));

    Click("Profile 4");
    EXPECT_EQ(page->Field(kM1Slot).Label(), "Calculator");

    // The key on the picture opens the same menu; a second click on its
    // field, which reaches the open menu first as a real click does, closes
    // the menu and opens none.
    const auto caps = KeyboardKeys();
    const auto m1 = std::find_if(caps.begin(), caps.end(), [](const KeyCap& key) { return key.name == "M1"; });
    ASSERT_NE(m1, caps.end());
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(m1->x + m1->width / 2, m1->y + m1->height / 2));
    ASSERT_TRUE(page->OpenMenu() != nullptr && page->OpenMenu()->isVisible());
    EXPECT_TRUE(Find("M1")->isChecked());
    const QPoint field = Find("M1")->mapTo(window.get(), QPoint(10, 9));
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, field);
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, field);
    ASSERT_TRUE(ProcessEventsUntil(menuClosed));
    QTest::qWait(50);
    EXPECT_EQ(page->OpenMenu(), nullptr);
    EXPECT_FALSE(Find("M1")->isChecked());
    EXPECT_EQ(Profile(3).Keys[0].FunctionCode, 0xC1);
}

}  // namespace
}  // namespace kelm::test
