// A button that shows its piece of the page's state pictures: normal,
// highlighted while the mouse is over it or it has the keyboard focus,
// pressed while held down or checked, disabled when disabled. A click is
// the ordinary clicked() (the command the original sent its parent).
#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <array>
#include <optional>

#include "skin/Layout.h"
#include "skin/StatePictures.h"

namespace kelm::skin {

// A caption as it fits into width: the font made smaller, down to a size
// still readable, and the text cut with an ellipsis only where even that
// is too wide (a translated caption may be much longer than the English one
// the button was drawn for).
struct FittedCaption {
    QFont font;
    QString text;
};
FittedCaption FitCaption(const QFont& font, const QString& text, int width);

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const LayoutRecord& layout, QWidget* parent);

    // The button's looks are cut from these at its own rectangle on the
    // page, each when the button first shows it.
    void SetPictures(const StatePictures& pictures);
    ControlState State() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const QPixmap& Look(ControlState state);

    StatePictures pictures_;
    QRect pictureRect_;
    std::array<std::optional<QPixmap>, kControlStateCount> looks_;
};

}  // namespace kelm::skin
