// The macro manager as a user meets it, for window tests: the real dialog
// on a library, its controls found by their layout names, and whatever it
// opens modally (notices, questions, the set name dialog, its menus)
// answered from a script, so that no test waits for a person.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "settings/StoreLocation.h"
#include "settings/Text.h"
#include "setup/CConfirmDlg.h"
#include "setup/CMacroEventEditor.h"
#include "setup/CMacroManagerDlg.h"
#include "setup/CMacroSetNameDlg.h"
#include "setup/SkinSet.h"
#include "tests/platform/FakeClock.h"
#include "tests/platform/gui/OffscreenApp.h"

namespace kelm {

// Events compared and printed whole by the tests' expectations.
inline bool operator==(const MacroEvent& a, const MacroEvent& b) {
    return a.KeyCode == b.KeyCode && a.Action == b.Action && a.Delay == b.Delay;
}

inline void PrintTo(const MacroEvent& e, std::ostream* out) {
    *out << "{" << int{e.KeyCode}
         << (e.Action == kActionPress     ? " v "
             : e.Action == kActionRelease ? " ^ "
                                          : " ? ")
         << e.Delay << "}";
}

}  // namespace kelm

namespace kelm::test {

inline constexpr std::uint8_t P = kActionPress;
inline constexpr std::uint8_t R = kActionRelease;

inline MacroEntry NamedMacro(std::string_view name, const std::vector<MacroEvent>& events = {},
                             std::int32_t option = 1) {
    MacroEntry macro;
    std::memset(&macro, 0, sizeof macro);
    CopyField(macro.Name, name);
    macro.MacroOption = option;
    std::copy(events.begin(), events.end(), macro.Events);
    macro.EventCount = static_cast<std::int32_t>(events.size());
    return macro;
}

inline std::vector<MacroEvent> EventsIn(const MacroEntry& macro) {
    return {macro.Events, macro.Events + std::clamp(macro.EventCount, 0, kMaxEvents)};
}

// Answers the dialog's modal windows from a timer, as each modal window
// runs a loop of its own.
class ModalScript {
public:
    ModalScript() {
        OffscreenApp();
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(5);
    }

    // The texts of the notices and questions shown, in order.
    std::vector<QString> seen;
    // A question's answer, OK once none is left; a notice takes none.
    std::deque<bool> answers;
    // What is typed into the set name dialog before OK; Cancel once none
    // is left.
    std::deque<QString> names;
    // The commands chosen in the menus that open, through their submenus;
    // a menu that opens with none left, or without the command, is closed.
    std::deque<int> commands;
    int menusShown = 0;
    // Run once on the first other modal window (the macro manager itself
    // when it runs its own loop).
    std::function<void(QWidget&)> onOther;

private:
    void Tick() {
        if (busy_) return;
        busy_ = true;
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            Choose(*menu);
        } else if (QWidget* modal = QApplication::activeModalWidget()) {
            Answer(*modal);
        }
        busy_ = false;
    }

    static bool Offers(const QMenu& menu, int command) {
        for (const QAction* action : menu.actions())
            if (action->menu() != nullptr ? Offers(*action->menu(), command)
                                          : !action->isSeparator() && skin::SkinMenu::CommandOf(action) == command)
                return true;
        return false;
    }

    void Choose(QMenu& menu) {
        if (!menu.property("kelmCounted").toBool()) {
            menu.setProperty("kelmCounted", true);
            if (menu.parentWidget() == nullptr) ++menusShown;
        }
        const int wanted = commands.empty() ? 0 : commands.front();
        for (QAction* action : menu.actions()) {
            if (action->isSeparator() || !Offers(menu, wanted)) continue;
            if (action->menu() != nullptr) {
                // Opens the submenu, whose turn comes next.
                if (Offers(*action->menu(), wanted)) {
                    if (menu.activeAction() != action) menu.setActiveAction(action);
                    return;
                }
            } else if (skin::SkinMenu::CommandOf(action) == wanted) {
                commands.pop_front();
                menu.setActiveAction(action);
                QTest::keyClick(&menu, Qt::Key_Return);
                return;
            }
        }
        if (!commands.empty()) commands.pop_front();
        menu.close();
    }

    void Answer(QWidget& modal) {
        if (auto* confirm = qobject_cast<CConfirmDlg*>(&modal)) {
            seen.push_back(confirm->findChild<QLabel*>()->text());
            const bool ok = answers.empty() || answers.front();
            if (!answers.empty()) answers.pop_front();
            ok ? confirm->accept() : confirm->reject();
        } else if (auto* naming = qobject_cast<CMacroSetNameDlg*>(&modal)) {
            if (names.empty()) return naming->reject();
            auto* field = naming->findChild<QLineEdit*>();
            // Inserted as a paste would, so any letter gets in.
            field->selectAll();
            field->insert(names.front());
            names.pop_front();
            QTest::keyClick(field, Qt::Key_Return);
        } else if (onOther) {
            std::exchange(onOther, nullptr)(modal);
        }
    }

    QTimer timer_;
    bool busy_ = false;
};

// The dialog on a library, its controls by their layout names.
class MacroDialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const char* folder = std::getenv("KELM_PROGRAM_FOLDER");
        if (folder == nullptr) GTEST_SKIP() << "KELM_PROGRAM_FOLDER is not set";
        programFolder_ = WithTrailingSlash(folder);
        OffscreenApp();
        texts_ = std::make_unique<LanguageTexts>(programFolder_, kEnglishLanguageIndex);
    }

    CMacroManagerDlg& Open(const MacroLibrary& library, int startSet = 0, const MacroKeyInfo& entry = {}) {
        dialog_ =
            std::make_unique<CMacroManagerDlg>(programFolder_, *texts_, library, startSet, entry, nullptr, clock_);
        dialog_->show();
        dialog_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
        return *dialog_;
    }
    // One set "Work" holding macros.
    static MacroLibrary WorkSet(std::vector<MacroEntry> macros) {
        MacroLibrary library;
        library.Sets.push_back({"Work", std::move(macros)});
        return library;
    }

    template <typename Widget = QAbstractButton>
    Widget* Find(const char* name) const {
        return dialog_->findChild<Widget*>(QString::fromLatin1(name));
    }
    void Click(const char* name) {
        QAbstractButton* button = Find(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    const MacroManager& Manager() const { return dialog_->Manager(); }
    std::vector<MacroEvent> Events() const {
        const MacroEntry* macro = Manager().Macro();
        return macro != nullptr ? EventsIn(*macro) : std::vector<MacroEvent>{};
    }
    QString Text(TextId id) const { return Utf8(texts_->Text(id)); }
    bool Recording() const { return dialog_->EventEditor()->Recording(); }

    std::string programFolder_;
    std::unique_ptr<LanguageTexts> texts_;
    FakeClock clock_;
    ModalScript script_;
    std::unique_ptr<CMacroManagerDlg> dialog_;
};

}  // namespace kelm::test
