#include "setup/CMacroManagerDlg.h"

#include <QSignalBlocker>
#include <QTimer>

#include "settings/Text.h"
#include "setup/CMacroEventEditor.h"
#include "setup/CMacroSetNameDlg.h"
#include "setup/CMacroTimelineEditor.h"
#include "setup/DialogParts.h"
#include "setup/MacroEventList.h"
#include "setup/MacroManagerLayout.h"
#include "setup/MacroMenus.h"
#include "setup/SkinMenuBuilder.h"
#include "skin/EditableList.h"
#include "skin/PictureEdit.h"  // EditableList.h's inline Editor() needs it whole

namespace kelm {

namespace {

// On an empty library the dialog asks for a first set by itself, this long
// after it opens, so that the question comes once the dialog is on screen.
constexpr int kFirstSetDelayMs = 100;

const MacroSet* SelectedSetOf(const MacroManager& manager) {
    const std::vector<MacroSet>& sets = manager.Library().Sets;
    const int index = manager.SelectedSet();
    return index >= 0 && static_cast<std::size_t>(index) < sets.size() ? &sets[static_cast<std::size_t>(index)]
                                                                       : nullptr;
}

}  // namespace

CMacroManagerDlg::CMacroManagerDlg(const std::string& programFolder, const LanguageTexts& texts,
                                   const MacroLibrary& library, int startSet, const MacroKeyInfo& entry,
                                   QWidget* parent, const Clock& clock)
    : SkinDialog(parent), manager_(library), entry_(entry), context_{programFolder, texts} {
    const SkinSet skin(programFolder, QStringLiteral("MacroManager"), devicePixelRatioF());
    SetBackground(skin.Background());
    const QString title = QStringLiteral("Kelm Macro Manager");
    setWindowTitle(title);
    SetTitle(title, QRect(14, 4, 400, 22));

    DialogLabel(context_.Text(TextId::kMacroSetCaption), skin::ParseLayout(kMacroSetCaptionLayout).Rect(), this);
    setField_ = skin.Button(kMacroSetFieldLayout, this);
    connect(setField_, &QAbstractButton::clicked, this, &CMacroManagerDlg::OnSetField);

    macros_ = new skin::EditableList(this);
    StyleMacroList(*macros_, kMacroNameListLayout);
    connect(macros_, &QListWidget::currentRowChanged, this, &CMacroManagerDlg::OnRowSelected);
    connect(macros_, &skin::EditableList::NewRowNamed, this, &CMacroManagerDlg::OnNewRowNamed);
    connect(macros_, &skin::EditableList::RowEdited, this, &CMacroManagerDlg::OnRowEdited);
    connect(macros_, &QListWidget::itemDoubleClicked, macros_, &skin::EditableList::EditSelectedRow);

    new_ = skin.Button(kNewMacroLayout, this);
    new_->setText(context_.Text(TextId::kNewMacroButton));
    connect(new_, &QAbstractButton::clicked, this, &CMacroManagerDlg::OnNew);
    delete_ = skin.Button(kDeleteMacroLayout, this);
    delete_->setText(context_.Text(TextId::kDeleteMacroButton));
    connect(delete_, &QAbstractButton::clicked, this, &CMacroManagerDlg::OnDelete);
    switch_ = skin.Button(kSwitchEditorLayout, this);
    connect(switch_, &QAbstractButton::clicked, this, &CMacroManagerDlg::OnSwitchEditor);
    end_ = skin.EndButtons(*this, texts, kMacroManagerEndLayouts);

    const QPoint panel = skin::ParseLayout(kMacroEditorPanelLayout).Rect().topLeft();
    events_ = new CMacroEventEditor(manager_, context_, clock, this);
    events_->move(panel);
    connect(events_, &CMacroEventEditor::RecordingChanged, this, &CMacroManagerDlg::OnRecordingChanged);
    timeline_ = new CMacroTimelineEditor(manager_, context_, this);
    timeline_->move(panel);

    const bool askForFirstSet = manager_.Start(startSet, entry);
    Refresh();
    if (askForFirstSet) QTimer::singleShot(kFirstSetDelayMs, this, &CMacroManagerDlg::AddSet);
    macros_->setFocus();
}

// The manager goes before the panels that record into it.
CMacroManagerDlg::~CMacroManagerDlg() { events_->StopRecording(); }

std::optional<MacroLibrary> CMacroManagerDlg::Run(const std::string& programFolder, const LanguageTexts& texts,
                                                  const MacroLibrary& library, int startSet, const MacroKeyInfo& entry,
                                                  QWidget* parent) {
    CMacroManagerDlg dialog(programFolder, texts, library, startSet, entry, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.TakeLibrary();
}

MacroLibrary CMacroManagerDlg::TakeLibrary() { return std::move(manager_).Finish(); }

void CMacroManagerDlg::done(int result) {
    events_->StopRecording();
    // The count typed last counts even though OK's click left it the focus.
    if (result == QDialog::Accepted) events_->CommitRepeatCount();
    SkinDialog::done(result);
}

void CMacroManagerDlg::Refresh() {
    const MacroSet* set = SelectedSetOf(manager_);
    setField_->setText(set != nullptr ? Utf8(set->Name) : QString());
    FillMacroList();
    RefreshEditor();
}

void CMacroManagerDlg::FillMacroList() {
    const QSignalBlocker quiet(macros_);
    macros_->clear();
    for (const std::string& name : manager_.MacroNames()) macros_->addItem(Utf8(name));
    macros_->setCurrentRow(manager_.SelectedMacro());
}

void CMacroManagerDlg::RefreshEditor() {
    const bool timeline = manager_.TimelineShown();
    switch_->setText(context_.Text(timeline ? TextId::kEventListEditorButton : TextId::kTimelineEditorButton));
    events_->setVisible(!timeline);
    timeline_->setVisible(timeline);
    if (timeline) {
        timeline_->Refresh();
    } else {
        events_->Refresh();
    }
}

std::unique_ptr<skin::SkinMenu> CMacroManagerDlg::SetMenu() const {
    std::unique_ptr<skin::SkinMenu> menu(MakeSkinMenu(MacroSetMenu(manager_.Library(), entry_), nullptr));
    // A click on the field while its menu is open only closes the menu.
    menu->setAttribute(Qt::WA_NoMouseReplay);
    return menu;
}

void CMacroManagerDlg::OnSetField() {
    const int command = SetMenu()->Track(setField_->mapToGlobal(QPoint(0, setField_->height())));
    if (command != 0) OnSetMenuCommand(command);
}

void CMacroManagerDlg::OnSetMenuCommand(int command) {
    switch (command) {
        case kAddSetCommand:
            return AddSet();
        case kDeleteSetCommand:
            return DeleteSet();
        case kRenameSetCommand:
            return RenameSet();
        default:
            if (manager_.SelectSet(command - kSelectSetCommand) == MacroError::None) Refresh();
    }
}

void CMacroManagerDlg::AddSet() {
    // Said before a name is asked for that could not be used.
    if (manager_.Library().Sets.size() >= static_cast<std::size_t>(kMaxMacroSets)) {
        context_.Tell(MacroError::Full, MacroSubject::Set, this);
        return;
    }
    const auto name = CMacroSetNameDlg::Run(context_, TextId::kAddSetTitle, {}, this);
    if (!name) return;
    context_.Tell(manager_.AddSet(*name), MacroSubject::Set, this);
    Refresh();
}

void CMacroManagerDlg::DeleteSet() {
    const MacroSet* set = SelectedSetOf(manager_);
    if (set == nullptr) {
        context_.Tell(MacroError::NoSet, MacroSubject::Set, this);
        return;
    }
    if (!context_.Ask(context_.Text(TextId::kDeleteSetQuestion) + QStringLiteral("\n\n") + Utf8(set->Name), this))
        return;
    manager_.DeleteSet();
    Refresh();
}

void CMacroManagerDlg::RenameSet() {
    const MacroSet* set = SelectedSetOf(manager_);
    if (set == nullptr) {
        context_.Tell(MacroError::NoSet, MacroSubject::Set, this);
        return;
    }
    const auto name = CMacroSetNameDlg::Run(context_, TextId::kRenameSetTitle, set->Name, this);
    if (!name) return;
    context_.Tell(manager_.RenameSet(*name), MacroSubject::Set, this);
    Refresh();
}

void CMacroManagerDlg::OnNew() {
    const MacroError error = manager_.NewMacro();
    if (error != MacroError::None) {
        context_.Tell(error, MacroSubject::Macro, this);
        return;
    }
    macros_->EditNewRow();
}

void CMacroManagerDlg::OnNewRowNamed(int row) {
    const QListWidgetItem* item = macros_->item(row);
    const MacroError error =
        item != nullptr ? manager_.FinishNewRow(item->text().toStdString()) : MacroError::NotAllowed;
    context_.Tell(error, MacroSubject::Macro, this);
    Refresh();
}

void CMacroManagerDlg::OnRowEdited(int row) {
    const QListWidgetItem* item = macros_->item(row);
    const MacroError error =
        item != nullptr ? manager_.FinishRowEdit(row, item->text().toStdString()) : MacroError::NotAllowed;
    context_.Tell(error, MacroSubject::Macro, this);
    FillMacroList();
}

void CMacroManagerDlg::OnDelete() {
    const MacroEntry* macro = manager_.Macro();
    if (macro == nullptr) {
        context_.Tell(manager_.SelectedSet() < 0 ? MacroError::NoSet : MacroError::NoMacro, MacroSubject::Macro, this);
        return;
    }
    if (!context_.Ask(
            context_.Text(TextId::kDeleteMacroQuestion) + QStringLiteral("\n\n") + Utf8(FieldText(macro->Name)), this))
        return;
    manager_.DeleteMacro();
    Refresh();
}

// Rows without a macro (the new row being named) select nothing.
void CMacroManagerDlg::OnRowSelected(int row) {
    if (row == manager_.SelectedMacro()) return;
    if (manager_.SelectMacro(row) == MacroError::None) RefreshEditor();
}

void CMacroManagerDlg::OnSwitchEditor() {
    // The timeline shows strokes only: what cannot be one is lost once it
    // writes back, so the user decides first.
    const MacroEntry* macro = manager_.Macro();
    const int dropped = !manager_.TimelineShown() && macro != nullptr ? StrokesFromEvents(EventsOf(*macro)).dropped : 0;
    if (dropped > 0 && !context_.Ask(Utf8(WithNumber(context_.texts.Text(TextId::kTimelineDroppedNote), dropped)) +
                                         QStringLiteral("\n\n") + context_.Text(TextId::kTimelineDroppedQuestion),
                                     this))
        return;
    if (manager_.SwitchEditor() == MacroError::None) RefreshEditor();
}

void CMacroManagerDlg::OnRecordingChanged(bool recording) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{setField_, macros_, new_, delete_, switch_, end_.ok, end_.cancel, end_.exit})
        control->setEnabled(!recording);
}

}  // namespace kelm
