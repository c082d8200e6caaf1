#include "skin/SkinSlider.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "skin/SkinColors.h"
#include "skin/StatePictures.h"

namespace kelm::skin {

namespace {

// Without a thumb picture the thumb is a bar in the skin's blue.
constexpr int kPlainThumbWidth = 8;

}  // namespace

SkinSlider::SkinSlider(const LayoutRecord& layout, int controlId, QWidget* parent)
    : QWidget(parent), controlId_(controlId) {
    Place(*this, layout);
    setFocusPolicy(Qt::StrongFocus);
}

void SkinSlider::SetRange(int minimum, int maximum) {
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    SetValue(value_);
}

void SkinSlider::SetValue(int value) {
    value_ = std::clamp(value, minimum_, maximum_);
    update();
}

void SkinSlider::SetPictures(const StatePictures& page, const QPixmap& thumb) {
    track_ = page.Cut(ControlState::Normal, geometry());
    thumb_ = thumb;
    SetValue(value_);
}

void SkinSlider::Post(int value) {
    value_ = std::clamp(value, minimum_, maximum_);
    update();
    emit ValueChanged(value_, controlId_);
}

int SkinSlider::ThumbWidth() const {
    if (thumb_.isNull()) return kPlainThumbWidth;
    return std::min(width(), qRound(thumb_.deviceIndependentSize().width()));
}

void SkinSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!track_.isNull()) painter.drawPixmap(0, 0, track_);
    const QRect thumb = ThumbRect();
    if (thumb_.isNull()) {
        painter.fillRect(thumb, kBlue);
    } else {
        painter.drawPixmap(thumb.topLeft(), thumb_);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void SkinSlider::keyPressEvent(QKeyEvent* event) {
    int target = value_;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            target = value_ > minimum_ ? value_ - 1 : value_;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            target = value_ < maximum_ ? value_ + 1 : value_;
            break;
        case Qt::Key_Home:
            target = minimum_;
            break;
        case Qt::Key_End:
            target = maximum_;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    SetValue(target);
    Post(value_);
}

}  // namespace kelm::skin
