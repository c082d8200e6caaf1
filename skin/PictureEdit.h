// A borderless edit field drawn on its piece of the page picture. In
// numeric mode it holds only digits (and, in signed mode, signs): keys that
// would type anything else are dropped, and any other text that gets in,
// by pasting or by setText(), is cut at its first character outside the set.
#pragma once

#include <QLineEdit>
#include <QPixmap>

#include "skin/Layout.h"

namespace kelm::skin {

class StatePictures;

class PictureEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit PictureEdit(QWidget* parent);
    PictureEdit(const LayoutRecord& layout, QWidget* parent);

    void SetNumeric(bool numeric);
    // Signs count only in numeric mode.
    void SetSigned(bool withSigns);

    // The normal page picture under the field becomes its background.
    void SetPictures(const StatePictures& pictures);

signals:
    // 1116 (MSG_EDIT_CHANGED): the text changed (and is already cut).
    void Changed();
    // "BitmapEdit_KillFocus" (wParam 0, lParam 0): the field lost the focus.
    void FocusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool KeyAllowed(const QKeyEvent& event) const;
    QString Filtered(const QString& text) const;
    void Refilter();
    void OnTextChanged(const QString& text);

    bool numeric_ = false;
    bool signed_ = false;
    QPixmap background_;
};

}  // namespace kelm::skin
