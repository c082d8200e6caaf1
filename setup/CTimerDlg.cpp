#include "setup/CTimerDlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>

#include "settings/Text.h"
#include "setup/CConfirmDlg.h"
#include "setup/DialogParts.h"
#include "setup/KeyDialogLayout.h"
#include "setup/SkinSet.h"

namespace kelm {

namespace {

constexpr int kCaptionLeft = 30;
constexpr int kCaptionWidth = 80;

QLabel* Caption(const LanguageTexts& texts, TextId id, const QRect& control, QWidget* parent) {
    return DialogLabel(Utf8(texts.Text(id)), QRect(kCaptionLeft, control.top(), kCaptionWidth, control.height()),
                       parent);
}

QSpinBox* SecondsField(std::string_view layout, QWidget* parent) {
    auto* field = new QSpinBox(parent);
    skin::Place(*field, skin::ParseLayout(layout));
    field->setGeometry(field->geometry().adjusted(1, 1, -1, -1));
    field->setRange(kTimerMinSeconds, kTimerMaxSeconds);
    field->setFrame(false);
    field->setStyleSheet(
        QStringLiteral("QSpinBox { color: #E8F4FC; background: transparent; selection-background-color: #35A0DE; }"));
    return field;
}

}  // namespace

CTimerDlg::CTimerDlg(const std::string& programFolder, const LanguageTexts& texts, Mode mode, const TimerList& timers,
                     QWidget* parent)
    : SkinDialog(parent), programFolder_(programFolder), texts_(texts), mode_(mode), editor_(timers) {
    const bool create = mode == Mode::Create;
    const SkinSet skin(programFolder, create ? QStringLiteral("TimerCreate") : QStringLiteral("TimerEdit"),
                       devicePixelRatioF());
    SetBackground(skin.Background());
    SetTitle(Utf8(texts.Text(create ? TextId::kCreateTimerTitle : TextId::kEditTimerTitle)), QRect(14, 4, 400, 24));

    if (!create) {
        list_ = skin.Button(kEditTimerListLayout, this);
        connect(list_, &QAbstractButton::clicked, this, &CTimerDlg::OpenTimerMenu);
        Caption(texts, TextId::kTimerChooseLabel, list_->geometry(), this);
    }
    name_ = DialogField(create ? kCreateTimerNameLayout : kEditTimerNameLayout, this);
    name_->setMaxLength(kTimerNameMaxCharacters);
    Caption(texts, TextId::kTimerNameLabel, name_->geometry().adjusted(0, -2, 0, 2), this);
    DialogLabel(Utf8(WithNumber(texts.Text(TextId::kTimerNameHint), kTimerNameMaxCharacters)),
                QRect(name_->x(), name_->geometry().bottom() + 8, 380, 18), this);
    seconds_ = SecondsField(create ? kCreateTimerSecondsLayout : kEditTimerSecondsLayout, this);
    const QRect spin = seconds_->geometry();
    Caption(texts, TextId::kTimerSecondsLabel, spin, this);
    DialogLabel(Utf8(texts.Text(TextId::kTimerSecondsUnit)), QRect(spin.right() + 6, spin.top(), 56, spin.height()),
                this);
    if (!create) {
        auto* save = skin.Button(kEditTimerSaveLayout, this);
        save->setText(Utf8(texts.Text(TextId::kTimerSaveButton)));
        connect(save, &QAbstractButton::clicked, this, &CTimerDlg::OnSave);
        auto* remove = skin.Button(kEditTimerDeleteLayout, this);
        remove->setText(Utf8(texts.Text(TextId::kTimerDeleteButton)));
        connect(remove, &QAbstractButton::clicked, this, &CTimerDlg::OnDelete);
    }
    notice_ = DialogNotice(QRect(kCaptionLeft, spin.bottom() + 24, 460, 60), this);
    skin.EndButtons(*this, texts, kTimerEndLayouts);
    if (!create) ShowTimer(-1);
    name_->setFocus();
}

std::unique_ptr<skin::SkinMenu> CTimerDlg::TimerMenu() const {
    auto menu = std::make_unique<skin::SkinMenu>();
    // A click on LIST_TIMER while its menu is open only closes the menu;
    // passed on, it would open the menu again at once.
    menu->setAttribute(Qt::WA_NoMouseReplay);
    menu->SetWidth(kTimerMenuWidth);
    const TimerList& timers = editor_.Timers();
    for (std::size_t i = 0; i < timers.size(); ++i) {
        const int index = static_cast<int>(i);
        menu->AppendItem(kFirstTimerListCommand + index, Utf8(FieldText(timers[i].TimerName)),
                         index == editor_.Shown());
    }
    return menu;
}

void CTimerDlg::ShowTimer(int index) {
    if (mode_ != Mode::Edit) return;
    editor_.Show(index);
    const QString name = Utf8(editor_.ShownName());
    const int seconds = editor_.ShownSeconds();
    list_->setText(editor_.Shown() < 0 ? Utf8(texts_.Text(TextId::kTimerChoosePrompt)) : name);
    // What the timer already has is shown whole, even where a file gave it
    // more than a new timer may have.
    name_->setMaxLength(std::max(kTimerNameMaxCharacters, static_cast<int>(name.size())));
    name_->setText(name);
    seconds_->setRange(std::min(kTimerMinSeconds, seconds), std::max(kTimerMaxSeconds, seconds));
    seconds_->setValue(seconds);
    notice_->clear();
}

void CTimerDlg::accept() {
    if (mode_ == Mode::Create) {
        TimerRecord made;
        const TimerProblem problem = MakeNewTimer(editor_.Timers(), name_->text().toStdString(), Seconds(), made);
        if (problem != TimerProblem::None) return Tell(problem);
        made_ = made;
    } else if (editor_.Shown() >= 0) {
        editor_.Save(name_->text().toStdString(), Seconds());
    }
    SkinDialog::accept();
}

std::optional<TimerRecord> CTimerDlg::Create(const std::string& programFolder, const LanguageTexts& texts,
                                             const TimerList& timers, QWidget* parent) {
    CTimerDlg dialog(programFolder, texts, Mode::Create, timers, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.NewTimer();
}

bool CTimerDlg::Edit(const std::string& programFolder, const LanguageTexts& texts, TimerList& timers, QWidget* parent) {
    CTimerDlg dialog(programFolder, texts, Mode::Edit, timers, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    timers = dialog.Timers();
    return true;
}

// Only the buttons end the create dialog: Enter in a field and Escape
// would otherwise close it as OK or Cancel.
void CTimerDlg::keyPressEvent(QKeyEvent* event) {
    const bool ends = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape;
    if (mode_ == Mode::Create && ends) return event->accept();
    SkinDialog::keyPressEvent(event);
}

void CTimerDlg::OpenTimerMenu() {
    const auto menu = TimerMenu();
    if (menu->isEmpty()) return;
    const int command = menu->Track(list_->mapToGlobal(QPoint(0, list_->height())));
    if (command >= kFirstTimerListCommand) ShowTimer(command - kFirstTimerListCommand);
}

void CTimerDlg::OnSave() {
    const TimerProblem problem = editor_.Save(name_->text().toStdString(), Seconds());
    if (problem != TimerProblem::None) return Tell(problem);
    ShowTimer(editor_.Shown());
    notice_->setText(Utf8(texts_.Text(TextId::kTimerSaved)));
}

void CTimerDlg::OnDelete() {
    if (editor_.Shown() < 0) {
        if (!editor_.Timers().empty()) Tell(TimerProblem::NoTimerShown);
        return;
    }
    const QString question =
        Utf8(texts_.Text(TextId::kTimerDeleteQuestion)) + QStringLiteral("\n\n") + Utf8(editor_.ShownName());
    if (!CConfirmDlg::Ask(programFolder_, texts_, question, this)) return;
    editor_.Delete();
    ShowTimer(-1);
}

// A number still being typed counts as it stands once it is in range.
int CTimerDlg::Seconds() const {
    seconds_->interpretText();
    return seconds_->value();
}

void CTimerDlg::Tell(TimerProblem problem) {
    std::string text;
    switch (problem) {
        case TimerProblem::None:
            break;
        case TimerProblem::EmptyName:
            text = texts_.Text(TextId::kTimerNameEmpty);
            break;
        case TimerProblem::NameTooLong:
            text = WithNumber(texts_.Text(TextId::kTimerNameTooLong), kTimerNameMaxCharacters);
            break;
        case TimerProblem::NameTaken:
            text = texts_.Text(TextId::kTimerNameTaken);
            break;
        case TimerProblem::SecondsOutOfRange:
            text = texts_.Text(TextId::kTimerSecondsRange);
            break;
        case TimerProblem::ListFull:
            text = WithNumber(texts_.Text(TextId::kTimerListFull), kMaxTimers);
            break;
        case TimerProblem::NoTimerShown:
            text = texts_.Text(TextId::kTimerNoneChosen);
            break;
    }
    notice_->setText(Utf8(text));
}

}  // namespace kelm
