#include "skin/DragSlider.h"

#include <QMouseEvent>
#include <algorithm>

#include "skin/SliderMath.h"

namespace kelm::skin {

int DragSlider::Span() const { return std::max(0, width() - ThumbWidth()); }

void DragSlider::SetValue(int value) {
    SkinSlider::SetValue(value);
    thumbLeft_ = OffsetOf(Value(), Span(), Minimum(), Maximum());
}

QRect DragSlider::ThumbRect() const { return QRect(thumbLeft_, 0, ThumbWidth(), height()); }

void DragSlider::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !ThumbRect().contains(at)) return QWidget::mousePressEvent(event);
    grab_ = at.x() - thumbLeft_;
}

void DragSlider::DragTo(int x) {
    thumbLeft_ = std::clamp(x - grab_, 0, Span());
    update();
}

void DragSlider::mouseMoveEvent(QMouseEvent* event) {
    if (grab_ < 0) return QWidget::mouseMoveEvent(event);
    DragTo(event->position().toPoint().x());
    Post(ValueAt(thumbLeft_, Span(), Minimum(), Maximum(), false));
}

void DragSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (grab_ < 0 || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    DragTo(event->position().toPoint().x());
    grab_ = -1;
    Post(ValueAt(thumbLeft_, Span(), Minimum(), Maximum(), Rounding()));
    if (Rounding()) thumbLeft_ = OffsetOf(Value(), Span(), Minimum(), Maximum());
}

void DragSlider::resizeEvent(QResizeEvent* event) {
    thumbLeft_ = OffsetOf(Value(), Span(), Minimum(), Maximum());
    SkinSlider::resizeEvent(event);
}

}  // namespace kelm::skin
