// What the kit's tests share: the offscreen application and solid pictures.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>

#include "tests/platform/gui/OffscreenApp.h"

namespace kelm::skin::test {

using kelm::test::OffscreenApp;
using kelm::test::ProcessEventsUntil;

inline QPixmap Solid(const QSize& size, const QColor& colour, qreal devicePixelRatio = 1) {
    QPixmap picture(size);
    picture.fill(colour);
    picture.setDevicePixelRatio(devicePixelRatio);
    return picture;
}

// The colour at a logical point of what a widget shows.
template <typename Widget>
QColor Shown(Widget& widget, const QPoint& at) {
    return widget.grab().toImage().pixelColor(at);
}

}  // namespace kelm::skin::test
