#include "setup/CMacroEventEditor.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "keyboard/KeyCodes.h"
#include "keyboard/KeyNames.h"
#include "setup/DialogParts.h"
#include "setup/MacroEventList.h"
#include "setup/MacroManagerLayout.h"
#include "setup/MacroMenus.h"
#include "setup/SkinMenuBuilder.h"
#include "setup/SkinSet.h"
#include "skin/SkinColors.h"

namespace kelm {

namespace {

enum class RowIcon { Press, Release, Mouse, Delay };

// The rows' small pictures: an arrow down for a press, up for a release, a
// mouse for a mouse button, a clock for a delay; light on a selected row.
QPixmap DrawIcon(RowIcon kind, bool selected) {
    constexpr int kSize = 12;
    QPixmap picture(kSize * 2, kSize * 2);
    picture.setDevicePixelRatio(2);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = selected || kind == RowIcon::Release ? skin::kLight : skin::kBlue;
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (kind) {
        case RowIcon::Press:
        case RowIcon::Release: {
            const bool down = kind == RowIcon::Press;
            const qreal tip = down ? 10.5 : 1.5;
            const qreal back = down ? 6.5 : 5.5;
            p.drawLine(QPointF(6, down ? 1.5 : 10.5), QPointF(6, tip));
            QPainterPath head;
            head.moveTo(2.5, back);
            head.lineTo(6, tip);
            head.lineTo(9.5, back);
            p.drawPath(head);
            break;
        }
        case RowIcon::Mouse:
            p.drawRoundedRect(QRectF(2.5, 0.5, 7, 11), 3.5, 3.5);
            p.drawLine(QPointF(6, 0.5), QPointF(6, 4.5));
            break;
        case RowIcon::Delay:
            p.drawEllipse(QRectF(1, 1, 10, 10));
            p.drawLine(QPointF(6, 6), QPointF(6, 3));
            p.drawLine(QPointF(6, 6), QPointF(8.5, 6));
            break;
    }
    return picture;
}

QIcon MakeIcon(RowIcon kind) {
    QIcon icon(DrawIcon(kind, false));
    icon.addPixmap(DrawIcon(kind, true), QIcon::Selected);
    return icon;
}

QString EventText(const MacroEvent& event) {
    const std::string name = UsageName(event.KeyCode);
    // A code that no key has (a hand-edited file) still shows what it is.
    const QString key = name.empty() ? QStringLiteral("0x") + QString::number(event.KeyCode, 16).toUpper() : Utf8(name);
    return key + (event.Action == kActionPress ? QStringLiteral(" Press") : QStringLiteral(" Release"));
}

}  // namespace

CMacroEventEditor::CMacroEventEditor(MacroManager& manager, const MacroDialogContext& context, const Clock& clock,
                                     QWidget* parent)
    : skin::SkinPage(parent),
      manager_(manager),
      context_(context),
      clock_(clock),
      icons_{MakeIcon(RowIcon::Press), MakeIcon(RowIcon::Release), MakeIcon(RowIcon::Mouse), MakeIcon(RowIcon::Delay)} {
    const SkinSet skin(context.programFolder, QStringLiteral("MacroEvents"), devicePixelRatioF());
    SetBackground(skin.Background());
    setFixedSize(skin::ParseLayout(kMacroEditorPanelLayout).Rect().size());

    DialogLabel(context.Text(TextId::kKeySequenceCaption), skin::ParseLayout(kKeySequenceCaptionLayout).Rect(), this);
    list_ = new skin::EditableList(this);
    StyleMacroList(*list_, kKeySequenceLayout);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &CMacroEventEditor::OnListMenu);
    connect(list_, &skin::EditableList::RowEdited, this, &CMacroEventEditor::OnDelayEdited);

    record_ = skin.Button(kStartRecordLayout, this);
    record_->setCheckable(true);
    connect(record_, &QAbstractButton::clicked, this, &CMacroEventEditor::OnStartRecord);

    delays_ = skin.Button(kDelaySwitchLayout, this);
    delays_->setCheckable(true);
    connect(delays_, &QAbstractButton::clicked, this, [this](bool on) { manager_.SetDelayCapture(on); });

    repeat_ = skin.Button(kRepeatSwitchLayout, this);
    repeat_->setCheckable(true);
    connect(repeat_, &QAbstractButton::clicked, this, &CMacroEventEditor::OnRepeatSwitch);

    times_ = new skin::PictureEdit(skin::ParseLayout(kRepeatTimesLayout), this);
    times_->SetNumeric(true);
    times_->SetPictures(skin.Pictures());
    times_->setAlignment(Qt::AlignCenter);
    times_->setMaxLength(3);
    connect(times_, &skin::PictureEdit::FocusLost, this, &CMacroEventEditor::CommitRepeatCount);
    connect(times_, &QLineEdit::returnPressed, this, &CMacroEventEditor::CommitRepeatCount);

    // The switches' captions start right of their boxes.
    const std::pair<skin::PictureButton*, TextId> switches[] = {{delays_, TextId::kRecordDelaysSwitch},
                                                                {repeat_, TextId::kRepeatSwitch}};
    for (const auto& [button, text] : switches)
        DialogLabel(context.Text(text), button->geometry().adjusted(18, 0, 0, 0), this);
    DialogLabel(context.Text(TextId::kRepeatTimesCaption), skin::ParseLayout(kRepeatTimesCaptionLayout).Rect(), this);
    const skin::LayoutRecord hint = skin::ParseLayout(kRecordHintLayout);
    state_ = DialogLabel({}, hint.Rect(), this);
    state_->setObjectName(QString::fromStdString(hint.name));
    state_->setWordWrap(true);
    state_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ShowState(TextId::kRecordHint);
    Refresh();
}

void CMacroEventEditor::Refresh() {
    record_->setChecked(Recording());
    record_->setText(context_.Text(Recording() ? TextId::kStopRecordButton : TextId::kStartRecordButton));
    delays_->setChecked(manager_.DelayCapture());
    repeat_->setChecked(manager_.RepeatOn());
    times_->setText(QString::number(manager_.RepeatCount()));
    for (QWidget* control : std::initializer_list<QWidget*>{delays_, repeat_, times_, list_})
        control->setEnabled(!Recording());
    // Another macro's row number would pick an unrelated row.
    list_->setCurrentRow(-1);
    FillList();
}

void CMacroEventEditor::FillList() {
    const int current = list_->currentRow();
    list_->clear();
    const MacroEntry* macro = manager_.Macro();
    if (macro == nullptr) return;
    for (const MacroListRow& row : manager_.Rows()) {
        const MacroEvent& event = macro->Events[row.event];
        auto* item = new QListWidgetItem(list_);
        if (row.delay) {
            item->setText(QStringLiteral("%1 ms").arg(event.Delay));
            item->setIcon(icons_[static_cast<std::size_t>(RowIcon::Delay)]);
        } else {
            item->setText(EventText(event));
            const RowIcon icon = IsMouseButtonCode(event.KeyCode) ? RowIcon::Mouse
                                 : event.Action == kActionPress   ? RowIcon::Press
                                                                  : RowIcon::Release;
            item->setIcon(icons_[static_cast<std::size_t>(icon)]);
        }
        item->setData(Qt::UserRole, row.event + 1);
    }
    list_->setCurrentRow(std::min(current, list_->count() - 1));
}

// The list follows the recording: the row of the event just recorded is
// selected, so a long recording scrolls along.
void CMacroEventEditor::SelectEvent(int event) {
    const std::vector<MacroListRow> rows = manager_.Rows();
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (rows[row].event == event && !rows[row].delay) list_->setCurrentRow(static_cast<int>(row));
}

void CMacroEventEditor::OnStartRecord() {
    if (Recording()) {
        StopRecording();
        return;
    }
    const MacroError error = manager_.StartRecording();
    if (error != MacroError::None) {
        record_->setChecked(false);
        context_.Tell(error, MacroSubject::Event, window());
        return;
    }
    recordAt_ = EventCountOf(*manager_.Macro());
    StartCapture();
}

void CMacroEventEditor::StartCapture() {
    MacroKeyCapture::Handlers handlers;
    handlers.onKey = [this](const MacroKeyCapture::Key& key) { OnKey(key); };
    handlers.onLost = [this] {
        manager_.StopRecording();
        EndCapture(TextId::kRecordingLost);
    };
    capture_ = std::make_unique<MacroKeyCapture>(*window(), loop_, std::move(handlers), clock_);
    ShowState(capture_->WholeKeyboard() ? TextId::kRecordingAllKeys : TextId::kRecordingWindowKeys);
    Refresh();
    emit RecordingChanged(true);
}

void CMacroEventEditor::OnKey(const MacroKeyCapture::Key& key) {
    const MacroRecorder::Result result = manager_.RecordKey(key.inputCode, key.released, key.timeMs);
    if (result == MacroRecorder::Result::Ignored) return;
    ++recordAt_;
    if (result == MacroRecorder::Result::Full) {
        EndCapture(TextId::kRecordingFull);
    } else {
        FillList();
    }
    SelectEvent(recordAt_ - 1);
}

void CMacroEventEditor::StopRecording() {
    if (!Recording() && !manager_.Recording()) return;
    manager_.StopRecording();
    EndCapture(TextId::kRecordHint);
}

void CMacroEventEditor::EndCapture(TextId state) {
    capture_.reset();
    ShowState(state);
    Refresh();
    emit RecordingChanged(false);
}

void CMacroEventEditor::ShowState(TextId id) { state_->setText(context_.Text(id)); }

std::unique_ptr<skin::SkinMenu> CMacroEventEditor::ListMenu() const {
    return std::unique_ptr<skin::SkinMenu>(MakeSkinMenu(EventListMenu(), nullptr));
}

// A right click picks the row under the mouse, as the commands act on the
// selected row.
void CMacroEventEditor::OnListMenu(const QPoint& at) {
    if (Recording()) return;
    const int row = list_->indexAt(at).row();
    if (row >= 0) list_->setCurrentRow(row);
    const MacroError allowed = manager_.ListMenuAllowed();
    if (allowed != MacroError::None) {
        context_.Tell(allowed, MacroSubject::Event, window());
        return;
    }
    const int command = ListMenu()->Track(list_->viewport()->mapToGlobal(at));
    if (command != 0) OnListMenuCommand(command);
}

void CMacroEventEditor::OnListMenuCommand(int command) {
    const int row = list_->currentRow();
    const std::vector<MacroListRow> rows = manager_.Rows();
    const MacroEntry* macro = manager_.Macro();
    const bool onRow = row >= 0 && static_cast<std::size_t>(row) < rows.size();
    const MacroError error = manager_.OnListMenuCommand(command, row);
    if (error != MacroError::None) {
        context_.Tell(error, MacroSubject::Event, window());
        return;
    }
    switch (command) {
        case kRecordBeforeCommand:
        case kRecordAfterCommand:
            // Where the manager puts the first key: before or after the
            // row's event, at the end without a row.
            recordAt_ = !onRow                            ? EventCountOf(*macro)
                        : command == kRecordBeforeCommand ? rows[static_cast<std::size_t>(row)].event
                                                          : rows[static_cast<std::size_t>(row)].event + 1;
            StartCapture();
            return;
        case kEditDelayCommand:
            list_->EditDelayRow();
            return;
        default:
            FillList();
    }
}

void CMacroEventEditor::OnDelayEdited(int row) {
    const QListWidgetItem* item = list_->item(row);
    if (item != nullptr) manager_.FinishDelayEdit(row, item->text().toStdString());
    FillList();
}

void CMacroEventEditor::OnRepeatSwitch() {
    manager_.SetRepeatOn(repeat_->isChecked());
    CommitRepeatCount();
}

void CMacroEventEditor::CommitRepeatCount() {
    times_->setText(QString::number(manager_.FinishRepeatEdit(times_->text().toStdString())));
}

}  // namespace kelm
