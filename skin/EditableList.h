// A list whose rows are named in place: an edit field opens over the row
// with its text selected. Enter keeps the trimmed text, Escape keeps the
// old one (and drops a row that was being added). One edit at a time.
#pragma once

#include <QListWidget>
#include <QPointer>

#include "skin/PictureEdit.h"

namespace kelm::skin {

constexpr int kRowNameMax = 24;
constexpr int kRowDelayMax = 20;

class EditableList : public QListWidget {
    Q_OBJECT
public:
    explicit EditableList(QWidget* parent);

    // Each returns false when there is nothing to edit or an edit is open.
    bool EditSelectedRow();
    bool EditNewRow();
    // The selected row holds a delay: digits only.
    bool EditDelayRow();

    bool Editing() const { return !editor_.isNull(); }
    // The open edit field, or nullptr.
    PictureEdit* Editor() const { return editor_; }

signals:
    // 1524 (MSG_LIST_NEW_ROW_DONE, wParam row): a new row was named.
    void NewRowNamed(int row);
    // 1526 (MSG_LIST_ROW_DONE, wParam row): an existing row was edited.
    void RowEdited(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Edit(int row, bool numeric);
    void Finish(bool keep);

    QPointer<PictureEdit> editor_;
    int row_ = -1;
    bool newRow_ = false;
};

}  // namespace kelm::skin
