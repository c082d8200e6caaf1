// The macro manager as a real window on the offscreen platform, driven as
// a user drives it: sets added, renamed and deleted through the set menu,
// macros named in place, the event list's menu, the repeat field's rule,
// the switch to the timeline and back, what OK and Cancel hand back, and a
// recording of the window's own keys where no X display can be grabbed.
#include <QKeyEvent>

#include "setup/CMacroTimelineEditor.h"
#include "setup/CMacroTimelineView.h"
#include "skin/EditableList.h"
#include "skin/PictureEdit.h"
#include "tests/setup/MacroDialogDriver.h"
#include "tests/support/ScopedEnv.h"

namespace kelm::test {
namespace {

using namespace std::chrono_literals;

class MacroDialogTest : public MacroDialogFixture {
protected:
    skin::EditableList* MacroList() const { return Find<skin::EditableList>("BUTTON_List_MacroName"); }
    skin::EditableList* EventList() const { return Find<skin::EditableList>("BUTTON_List_key_sequence"); }
    static QStringList Rows(const QListWidget& list) {
        QStringList rows;
        for (int row = 0; row < list.count(); ++row) rows << list.item(row)->text();
        return rows;
    }
    std::vector<std::string> SetNames() const {
        std::vector<std::string> names;
        for (const MacroSet& set : Manager().Library().Sets) names.push_back(set.Name);
        return names;
    }
    void ChooseSetCommand(int command, std::deque<QString> names = {}) {
        script_.commands = {command};
        script_.names = std::move(names);
        Click("BUTTON_combox_macro_select");
    }
    // Types into the list's open in-place field and ends with key.
    static void TypeInPlace(skin::EditableList& list, const QString& text, Qt::Key key = Qt::Key_Return) {
        ASSERT_NE(list.Editor(), nullptr);
        list.Editor()->selectAll();
        QTest::keyClicks(list.Editor(), text);
        QTest::keyClick(list.Editor(), key);
    }
    // As a mouse sends it: press, release, the second press as a double
    // click, release.
    static void DoubleClick(QWidget* widget, const QPoint& at) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    }
    void RightClick(skin::EditableList& list, int row, std::deque<int> commands) {
        script_.commands = std::move(commands);
        const QPoint at = row < list.count() ? list.visualItemRect(list.item(row)).center() : QPoint(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &event);
    }

    // Unset, so a recording never grabs the keyboard of a display the test
    // happens to run on; the window's own keys are recorded instead.
    ScopedEnv noDisplay_{"DISPLAY", nullptr};
};

TEST_F(MacroDialogTest, AnEmptyLibraryAsksForAFirstSetAndTheSetMenuAddsRenamesAndDeletesSets) {
    script_.names = {QStringLiteral("Games")};
    Open({}, -1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !Manager().Library().Sets.empty(); }));
    auto* field = Find("BUTTON_combox_macro_select");
    EXPECT_EQ(field->text(), QStringLiteral("Games"));

    ChooseSetCommand(kAddSetCommand, {QStringLiteral("Work")});
    EXPECT_EQ(SetNames(), (std::vector<std::string>{"Games", "Work"}));
    EXPECT_EQ(field->text(), QStringLiteral("Work"));
    // Names the manager refuses leave the sets as they were, with a notice.
    ChooseSetCommand(kAddSetCommand, {QStringLiteral(" games ")});
    ChooseSetCommand(kRenameSetCommand, {QStringLiteral("SetMacro")});
    // Thirteen letters that take two bytes each: more than a name holds.
    ChooseSetCommand(kRenameSetCommand, {QString(13, QChar(0xE4))});
    EXPECT_EQ(script_.seen, (std::vector<QString>{Text(TextId::kDuplicateNameNotice), Text(TextId::kReservedNameNotice),
                                                  Text(TextId::kNameTooLongNotice)}));
    EXPECT_EQ(SetNames(), (std::vector<std::string>{"Games", "Work"}));
    // Cancel in the name dialog changes nothing.
    ChooseSetCommand(kAddSetCommand);
    ChooseSetCommand(kRenameSetCommand, {QStringLiteral("Office")});
    EXPECT_EQ(SetNames(), (std::vector<std::string>{"Games", "Office"}));
    EXPECT_EQ(field->text(), QStringLiteral("Office"));

    ChooseSetCommand(kSelectSetCommand + 0);
    EXPECT_EQ(Manager().SelectedSet(), 0);
    script_.seen.clear();
    script_.answers = {false};
    ChooseSetCommand(kDeleteSetCommand);
    EXPECT_EQ(SetNames().size(), 2u) << "the question was answered Cancel";
    ASSERT_EQ(script_.seen.size(), 1u);
    EXPECT_TRUE(script_.seen[0].contains(QStringLiteral("Games")));
    ChooseSetCommand(kDeleteSetCommand);
    EXPECT_EQ(SetNames(), std::vector<std::string>{"Office"});
    EXPECT_EQ(field->text(), QStringLiteral("Office"));
    ChooseSetCommand(kDeleteSetCommand);
    EXPECT_EQ(field->text(), QString());
    script_.seen.clear();
    for (const int command : {kDeleteSetCommand, kRenameSetCommand}) ChooseSetCommand(command);
    EXPECT_EQ(script_.seen, (std::vector<QString>{Text(TextId::kNoSetNotice), Text(TextId::kNoSetNotice)}));
    EXPECT_EQ(script_.menusShown, 12);
}

TEST_F(MacroDialogTest, MacrosAreNamedInPlaceRenamedByDoubleClickAndDeletedOnConfirmation) {
    Open(WorkSet({NamedMacro("Copy")}));
    skin::EditableList& list = *MacroList();
    Click("BUTTON_New");
    TypeInPlace(list, QStringLiteral("  Paste "));
    EXPECT_EQ(Manager().MacroNames(), (std::vector<std::string>{"Copy", "Paste"}));
    EXPECT_EQ(Manager().SelectedMacro(), 1);
    EXPECT_EQ(list.currentRow(), 1);
    // A name taken (any case) or dropped with Escape leaves no row behind.
    Click("BUTTON_New");
    TypeInPlace(list, QStringLiteral("copy"));
    Click("BUTTON_New");
    TypeInPlace(list, QStringLiteral("Cut"), Qt::Key_Escape);
    EXPECT_EQ(script_.seen, std::vector<QString>{Text(TextId::kDuplicateNameNotice)});
    EXPECT_EQ(Rows(list), (QStringList{QStringLiteral("Copy"), QStringLiteral("Paste")}));

    const QPoint paste = list.visualItemRect(list.item(1)).center();
    DoubleClick(list.viewport(), paste);
    TypeInPlace(list, QStringLiteral("Cut"));
    DoubleClick(list.viewport(), paste);
    TypeInPlace(list, QStringLiteral("COPY"));
    EXPECT_EQ(Manager().MacroNames(), (std::vector<std::string>{"Copy", "Cut"}));
    EXPECT_EQ(Rows(list), (QStringList{QStringLiteral("Copy"), QStringLiteral("Cut")})) << "the old name is back";
    EXPECT_EQ(script_.seen.size(), 2u);

    script_.answers = {false, true};
    Click("BUTTON_Delete");
    EXPECT_EQ(Manager().MacroNames().size(), 2u);
    Click("BUTTON_Delete");
    EXPECT_EQ(Manager().MacroNames(), std::vector<std::string>{"Copy"});
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_TRUE(script_.seen.back().contains(QStringLiteral("Cut")));
}

TEST_F(MacroDialogTest, NewAndDeleteWithoutASetOrMacroOnlyTellWhy) {
    Open(WorkSet({}));
    Click("BUTTON_Delete");
    dialog_.reset();
    Open({}, -1);
    // The name dialog the empty library brings is cancelled.
    QTest::qWait(300);
    ASSERT_TRUE(Manager().Library().Sets.empty());
    Click("BUTTON_New");
    Click("BUTTON_Delete");
    RightClick(*EventList(), 0, {kInsertDelayCommand});
    EXPECT_EQ(script_.seen, (std::vector<QString>{Text(TextId::kNoMacroNotice), Text(TextId::kNoSetNotice),
                                                  Text(TextId::kNoSetNotice), Text(TextId::kNoSetNotice)}));
    EXPECT_EQ(script_.menusShown, 0);
    EXPECT_EQ(MacroList()->count(), 0);
}

TEST_F(MacroDialogTest, TheEventListMenuInsertsEditsAndDeletes) {
    Open(WorkSet({NamedMacro("Copy", {{0x04, P, 0}, {0x04, R, 0}})}));
    skin::EditableList& list = *EventList();
    EXPECT_EQ(Rows(list), (QStringList{QStringLiteral("A Press"), QStringLiteral("A Release")}));
    EXPECT_EQ(list.item(1)->data(Qt::UserRole).toInt(), 2) << "a row leads back to its event";

    RightClick(list, 1, {kInsertDelayCommand});
    EXPECT_EQ(Rows(list),
              (QStringList{QStringLiteral("A Press"), QStringLiteral("1 ms"), QStringLiteral("A Release")}));
    RightClick(list, 1, {kEditDelayCommand});
    TypeInPlace(list, QStringLiteral("70000"));
    EXPECT_EQ(Rows(list)[1], QStringLiteral("65535 ms"));
    // A left click goes in before the selected event.
    RightClick(list, 2, {kFirstMouseCommand + 2});
    EXPECT_EQ(Events(), (std::vector<MacroEvent>{{0x04, P, 65535}, {0xF0, P, 0}, {0xF0, R, 0}, {0x04, R, 0}}));
    EXPECT_EQ(Rows(list)[2], QStringLiteral("Left Button Press"));
    RightClick(list, 1, {kDeleteRowCommand});
    RightClick(list, 0, {kDeleteRowCommand});
    EXPECT_EQ(Events(), (std::vector<MacroEvent>{{0xF0, P, 0}, {0xF0, R, 0}, {0x04, R, 0}}));
    // Commands that do not apply to their row change nothing and say nothing.
    RightClick(list, 0, {kInsertDelayCommand});
    RightClick(list, 0, {kEditDelayCommand});
    EXPECT_EQ(list.Editor(), nullptr);
    EXPECT_EQ(Events().size(), 3u);
    EXPECT_TRUE(script_.seen.empty());
    EXPECT_EQ(script_.menusShown, 7);
}

TEST_F(MacroDialogTest, TheRepeatCountKeepsItsRangeOnFocusLossAndOnOk) {
    Open(WorkSet({NamedMacro("Copy")}));
    auto* times = Find<skin::PictureEdit>("Edit_Times");
    auto* repeat = Find("BUTTON_LoopTimes_ON_OFF");
    ASSERT_TRUE(times && repeat);
    const auto option = [&] { return Manager().Macro()->MacroOption; };
    Click("BUTTON_LoopTimes_ON_OFF");
    EXPECT_TRUE(repeat->isChecked());
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {{"300", "255"}, {"0", "1"}, {"4x2", "42"}, {"", "1"}};
    for (const auto& c : cases) {
        times->setFocus();
        times->selectAll();
        QTest::keyClick(times, Qt::Key_Backspace);
        QTest::keyClicks(times, QString::fromLatin1(c.typed));
        MacroList()->setFocus();
        EXPECT_EQ(times->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(option(), times->text().toInt()) << c.typed;
    }
    times->setFocus();
    times->selectAll();
    QTest::keyClicks(times, QStringLiteral("42"));
    QTest::keyClick(times, Qt::Key_Return);
    Click("BUTTON_LoopTimes_ON_OFF");
    EXPECT_EQ(option(), 1) << "off is stored as one";
    Click("BUTTON_LoopTimes_ON_OFF");
    EXPECT_EQ(option(), 42);
    // The click on OK leaves the field its focus, and the count still counts.
    times->setFocus();
    times->selectAll();
    QTest::keyClicks(times, QStringLiteral("7"));
    Click("BUTTON_OK");
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(dialog_->TakeLibrary().Sets[0].Macros[0].MacroOption, 7);
}

TEST_F(MacroDialogTest, TheTimelineKeepsTheEventsAndADraggedBarIsWrittenBackOnOk) {
    // Shift held over a tap of A, with one instant holding three events.
    const std::vector<MacroEvent> typed{{0xE1, P, 30}, {0x04, P, 40}, {0x04, R, 0}, {0xE1, R, 0}};
    Open(WorkSet({NamedMacro("Shifted", typed), NamedMacro("Stray", {{0x05, R, 5}, {0x04, P, 10}, {0x04, R, 0}})}));
    auto* timeline = dialog_->TimelineEditor();
    Click("BUTTON_Switch_editor");
    EXPECT_TRUE(timeline->isVisible());
    EXPECT_FALSE(dialog_->EventEditor()->isVisible());
    EXPECT_EQ(Find("BUTTON_Switch_editor")->text(), Text(TextId::kEventListEditorButton));
    Click("BUTTON_Switch_editor");
    EXPECT_EQ(Events(), typed);

    // A's bar, dragged 40 pixels later.
    Click("BUTTON_Switch_editor");
    CMacroTimelineView& view = *timeline->View();
    const QRect bar = view.BarRect(1);
    ASSERT_TRUE(bar.isValid());
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, bar.center());
    QTest::mouseMove(view.viewport(), bar.center() + QPoint(40, 0));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, bar.center() + QPoint(40, 0));
    EXPECT_EQ(view.Selected(), 1);
    const auto later = static_cast<std::uint16_t>(view.Axis().TimeAt(40));
    ASSERT_GT(later, 0);
    ASSERT_LT(later, 30 + 40);
    // OK writes the timeline back: A now ends after Shift.
    Click("BUTTON_OK");
    EXPECT_EQ(EventsIn(dialog_->TakeLibrary().Sets[0].Macros[0]),
              (std::vector<MacroEvent>{{0xE1, P, static_cast<std::uint16_t>(30 + later)},
                                       {0x04, P, static_cast<std::uint16_t>(40 - later)},
                                       {0xE1, R, later},
                                       {0x04, R, 0}}));
}

TEST_F(MacroDialogTest, EventsTheTimelineCannotShowAreLostOnlyWhenTheUserAgrees) {
    const std::vector<MacroEvent> stray{{0x05, R, 5}, {0x04, P, 10}, {0x04, R, 0}};
    Open(WorkSet({NamedMacro("Stray", stray)}));
    script_.answers = {false};
    Click("BUTTON_Switch_editor");
    EXPECT_FALSE(Manager().TimelineShown());
    ASSERT_EQ(script_.seen.size(), 1u);
    EXPECT_TRUE(script_.seen[0].contains(QStringLiteral(": 1."))) << script_.seen[0].toStdString();
    Click("BUTTON_Switch_editor");
    EXPECT_TRUE(Manager().TimelineShown());
    EXPECT_TRUE(dialog_->TimelineEditor()
                    ->findChild<QLabel*>(QStringLiteral("Timeline note"))
                    ->text()
                    .contains(QStringLiteral(": 1.")));
    Click("BUTTON_Switch_editor");
    EXPECT_EQ(Events(), (std::vector<MacroEvent>{{0x04, P, 10}, {0x04, R, 0}}));
}

TEST_F(MacroDialogTest, RunHandsBackTheLibraryOnOkAndNothingOtherwise) {
    const MacroLibrary library = WorkSet({NamedMacro("Copy")});
    const struct {
        const char* ending;
        bool kept;
    } cases[] = {{"BUTTON_OK", true}, {"BUTTON_Cancel", false}, {"BUTTON_Exit", false}, {"Escape", false}};
    for (const auto& c : cases) {
        script_.onOther = [&](QWidget& modal) {
            auto& dialog = dynamic_cast<CMacroManagerDlg&>(modal);
            QTest::mouseClick(dialog.findChild<QAbstractButton*>(QStringLiteral("BUTTON_New")), Qt::LeftButton);
            auto* list = dialog.findChild<skin::EditableList*>(QStringLiteral("BUTTON_List_MacroName"));
            QTest::keyClicks(list->Editor(), QStringLiteral("Paste"));
            QTest::keyClick(list->Editor(), Qt::Key_Return);
            if (std::strcmp(c.ending, "Escape") == 0) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            } else {
                QTest::mouseClick(dialog.findChild<QAbstractButton*>(QString::fromLatin1(c.ending)), Qt::LeftButton);
            }
        };
        const auto result = CMacroManagerDlg::Run(programFolder_, *texts_, library, 0, {}, nullptr);
        ASSERT_EQ(result.has_value(), c.kept) << c.ending;
        if (result) {
            EXPECT_EQ(result->Sets[0].Macros.size(), 2u);
        }
    }
}

TEST_F(MacroDialogTest, WithoutADisplayToGrabTheWindowsOwnKeysAreRecordedEscapeIncluded) {
    Open(WorkSet({NamedMacro("Keys", {{0x05, P, 0}, {0x05, R, 0}})}));
    Click("BUTTON_Delay_ON_OFF");
    Click("BUTTON_Start_Record");
    ASSERT_TRUE(Recording());
    EXPECT_FALSE(dialog_->EventEditor()->HoldsKeyboard());
    EXPECT_TRUE(Find("BUTTON_Start_Record")->isChecked());
    EXPECT_EQ(Find("BUTTON_Start_Record")->text(), Text(TextId::kStopRecordButton));
    for (const char* name : {"BUTTON_OK", "BUTTON_Cancel", "BUTTON_Exit", "BUTTON_New", "BUTTON_Delete",
                             "BUTTON_Switch_editor", "BUTTON_combox_macro_select", "BUTTON_Delay_ON_OFF"})
        EXPECT_FALSE(Find(name)->isEnabled()) << name;
    EXPECT_FALSE(MacroList()->isEnabled());
    EXPECT_FALSE(EventList()->isEnabled());

    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : dialog_.get();
    const auto key = [&](QEvent::Type type, int code, Qt::KeyboardModifiers modifiers = {}, bool repeat = false) {
        QKeyEvent event(type, code, modifiers, QString(), repeat);
        QApplication::sendEvent(target, &event);
        clock_.Advance(25ms);
    };
    key(QEvent::KeyPress, Qt::Key_Escape);
    key(QEvent::KeyPress, Qt::Key_Escape, {}, true);
    key(QEvent::KeyRelease, Qt::Key_Escape);
    QTest::keyClick(target, Qt::Key_Return);
    clock_.Advance(100ms);
    key(QEvent::KeyPress, Qt::Key_1, Qt::KeypadModifier);
    key(QEvent::KeyRelease, Qt::Key_1, Qt::KeypadModifier);
    EXPECT_TRUE(dialog_->isVisible()) << "Escape and Enter were keys of the macro";
    Click("BUTTON_Start_Record");
    EXPECT_FALSE(Recording());
    EXPECT_EQ(Events(), (std::vector<MacroEvent>{{0x05, P, 0},
                                                 {0x05, R, 0},
                                                 {0x29, P, 50},
                                                 {0x29, R, 25},
                                                 {0x28, P, 0},
                                                 {0x28, R, 100},
                                                 {0x59, P, 25},
                                                 {0x59, R, 0}}));
    for (const char* name : {"BUTTON_OK", "BUTTON_New", "BUTTON_Switch_editor", "BUTTON_Delay_ON_OFF"})
        EXPECT_TRUE(Find(name)->isEnabled()) << name;
    EXPECT_FALSE(Find("BUTTON_Start_Record")->isChecked());
    EXPECT_TRUE(EventList()->isEnabled());
}

}  // namespace
}  // namespace kelm::test
