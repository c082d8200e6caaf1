#include "skin/SkinPage.h"

#include <QPainter>

#include "skin/StatePictures.h"

namespace kelm::skin {

void SkinPage::SetBackground(const QString& base) { background_ = LoadPicture(base, devicePixelRatioF()); }

void SkinPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!background_.isNull()) painter.drawPixmap(0, 0, background_);
}

}  // namespace kelm::skin
