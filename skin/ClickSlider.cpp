#include "skin/ClickSlider.h"

#include <QMouseEvent>
#include <algorithm>

#include "skin/SliderMath.h"

namespace kelm::skin {

QRect ClickSlider::ThumbRect() const {
    const int centre = OffsetOf(Value(), width(), Minimum(), Maximum());
    const int left = std::clamp(centre - ThumbWidth() / 2, 0, std::max(0, width() - ThumbWidth()));
    return QRect(left, 0, ThumbWidth(), height());
}

void ClickSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    Post(ValueAt(event->position().toPoint().x(), width(), Minimum(), Maximum(), Rounding()));
}

}  // namespace kelm::skin
