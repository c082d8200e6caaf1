#include "skin/EditableList.h"

#include <QKeyEvent>

#include "skin/PictureEdit.h"

namespace kelm::skin {

namespace {

constexpr int kIconGap = 4;

}  // namespace

EditableList::EditableList(QWidget* parent) : QListWidget(parent) {}

bool EditableList::EditSelectedRow() { return Edit(currentRow(), false); }

bool EditableList::EditDelayRow() { return Edit(currentRow(), true); }

bool EditableList::EditNewRow() {
    if (Editing()) return false;
    addItem(QString());
    newRow_ = true;
    return Edit(count() - 1, false);
}

bool EditableList::Edit(int row, bool numeric) {
    QListWidgetItem* target = item(row);
    if (Editing() || target == nullptr) {
        newRow_ = false;
        return false;
    }
    row_ = row;
    setCurrentRow(row);
    scrollToItem(target);

    QRect area = visualItemRect(target);
    if (!target->icon().isNull()) area.setLeft(area.left() + iconSize().width() + kIconGap);
    editor_ = new PictureEdit(viewport());
    editor_->SetNumeric(numeric);
    editor_->setMaxLength(numeric ? kRowDelayMax : kRowNameMax);
    editor_->setGeometry(area);
    editor_->setText(target->text());
    editor_->selectAll();
    editor_->installEventFilter(this);
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    return true;
}

// Taking the editor first makes the focus loss its deletion causes a no-op.
void EditableList::Finish(bool keep) {
    PictureEdit* editor = editor_;
    editor_ = nullptr;
    if (editor == nullptr) return;
    const QString text = editor->text().trimmed();
    editor->removeEventFilter(this);
    editor->deleteLater();
    setFocus(Qt::OtherFocusReason);

    const int row = row_;
    const bool added = newRow_;
    newRow_ = false;
    // A row left empty would be an entry without a name: a new one goes,
    // an existing one keeps its old text.
    QListWidgetItem* target = item(row);
    if (target == nullptr) return;  // the rows were cleared under the edit
    if (!keep || text.isEmpty()) {
        if (added) delete takeItem(row);
        return;
    }
    target->setText(text);
    setCurrentRow(row);
    if (added) {
        emit NewRowNamed(row);
    } else {
        emit RowEdited(row);
    }
}

bool EditableList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_) return QListWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            // Finished on press and swallowed, so the dialog neither takes
            // Enter for its default button nor Escape for Cancel.
            Finish(key != Qt::Key_Escape);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Switching windows or opening a menu is not leaving the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Finish(true);
    }
    return QListWidget::eventFilter(watched, event);
}

}  // namespace kelm::skin
