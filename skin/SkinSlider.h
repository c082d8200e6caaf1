// What the click slider and the drag slider share: a range, a rounding
// flag, the value, the track and thumb pictures, keyboard steps, and the
// report of a new value to the page.
#pragma once

#include <QPixmap>
#include <QWidget>

#include "skin/Layout.h"

namespace kelm::skin {

class StatePictures;

class SkinSlider : public QWidget {
    Q_OBJECT
public:
    SkinSlider(const LayoutRecord& layout, int controlId, QWidget* parent);

    // The ends may come in either order.
    void SetRange(int minimum, int maximum);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    void SetRounding(bool round) { round_ = round; }
    bool Rounding() const { return round_; }
    int ControlId() const { return controlId_; }

    int Value() const { return value_; }
    // Moves the thumb without reporting: the page already knows the value.
    virtual void SetValue(int value);

    // The track is the slider's piece of the normal page picture.
    void SetPictures(const StatePictures& page, const QPixmap& thumb);

signals:
    // 1094 (MSG_SLIDER_VALUE, wParam value, lParam control id).
    void ValueChanged(int value, int controlId);

protected:
    // Keeps the value (clamped) and reports it; the thumb stays where it is.
    void Post(int value);
    int ThumbWidth() const;
    virtual QRect ThumbRect() const = 0;

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    bool round_ = false;
    int value_ = 0;
    int controlId_;
    QPixmap track_;
    QPixmap thumb_;
};

}  // namespace kelm::skin
