#include "skin/PictureButton.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace kelm::skin {

FittedCaption FitCaption(const QFont& font, const QString& text, int width) {
    constexpr int kSmallestPixelSize = 9;
    QFont fitted = font;
    if (fitted.pixelSize() <= 0) fitted.setPixelSize(QFontInfo(font).pixelSize());
    while (QFontMetrics(fitted).horizontalAdvance(text) > width && fitted.pixelSize() > kSmallestPixelSize)
        fitted.setPixelSize(fitted.pixelSize() - 1);
    return {fitted, QFontMetrics(fitted).elidedText(text, Qt::ElideRight, width)};
}

PictureButton::PictureButton(const LayoutRecord& layout, QWidget* parent) : QAbstractButton(parent) {
    Place(*this, layout);
    // A click must not take the focus away from the field being edited;
    // Tab still reaches the button, and then it shows as highlighted.
    setFocusPolicy(Qt::TabFocus);
}

void PictureButton::SetPictures(const StatePictures& pictures) {
    pictures_ = pictures;
    // Where the button was drawn on the page: a button moved later (a
    // dialog that centres its only button) keeps the look drawn for it.
    pictureRect_ = geometry();
    looks_ = {};
    update();
}

const QPixmap& PictureButton::Look(ControlState state) {
    std::optional<QPixmap>& look = looks_[static_cast<std::size_t>(state)];
    if (!look) look = pictures_.Cut(state, pictureRect_);
    return *look;
}

ControlState PictureButton::State() const {
    if (!isEnabled()) return ControlState::Disabled;
    if (isDown() || isChecked()) return ControlState::Pressed;
    if (underMouse() || hasFocus()) return ControlState::Highlighted;
    return ControlState::Normal;
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap& look = Look(State());
    if (!look.isNull()) painter.drawPixmap(0, 0, look);
    if (!text().isEmpty()) {
        painter.setPen(isEnabled() ? QColor(Qt::white) : QColor(Qt::gray));
        // A little air on both sides, as a push button keeps.
        const FittedCaption caption = FitCaption(font(), text(), width() - 6);
        painter.setFont(caption.font);
        painter.drawText(rect(), Qt::AlignCenter, caption.text);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

// Enter works like Space, as it does on the dialog buttons the skin replaces.
void PictureButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace kelm::skin
