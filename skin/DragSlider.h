// A slider set by dragging its thumb between the track's left end and its
// right end less the thumb's width. Every move reports the value; the
// release reports it once more and, with rounding, snaps the thumb to it.
#pragma once

#include "skin/SkinSlider.h"

namespace kelm::skin {

class DragSlider : public SkinSlider {
    Q_OBJECT
public:
    using SkinSlider::SkinSlider;

    void SetValue(int value) override;
    int ThumbLeft() const { return thumbLeft_; }

protected:
    QRect ThumbRect() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Span() const;
    void DragTo(int x);

    int thumbLeft_ = 0;
    int grab_ = -1;  // where on the thumb it is held; -1 when not dragging
};

}  // namespace kelm::skin
