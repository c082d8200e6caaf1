// A slider set by clicking: the value jumps to the point clicked on the
// track, and the thumb is centred on it.
#pragma once

#include "skin/SkinSlider.h"

namespace kelm::skin {

class ClickSlider : public SkinSlider {
    Q_OBJECT
public:
    using SkinSlider::SkinSlider;

protected:
    QRect ThumbRect() const override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace kelm::skin
