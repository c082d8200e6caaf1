#include "platform/gui/KeyboardIcon.h"

#include <QPainter>
#include <QPixmap>

namespace kelm {

// Drawn on a 32-unit grid and scaled, so every size shows the same
// keyboard: a dark body, three rows of light keys and a space bar.
QImage KeyboardImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x26, 0x2B, 0x33));
    painter.drawRoundedRect(QRectF(1, 7, 30, 19), 3, 3);

    const QColor key(0xE8, 0xEC, 0xF1);
    const QColor lit(0x3C, 0x9E, 0xE8);  // the keyboard's illumination
    constexpr double kKey = 3.0;
    constexpr double kGap = 0.8;
    constexpr int kKeysInRow[] = {7, 6, 5};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < kKeysInRow[row]; ++column) {
            painter.setBrush(row == 0 && column == kKeysInRow[0] - 1 ? lit : key);
            painter.drawRoundedRect(QRectF(3.1 + row + column * (kKey + kGap), 9.5 + row * (kKey + kGap), kKey, kKey),
                                    0.6, 0.6);
        }
    painter.setBrush(key);
    painter.drawRoundedRect(QRectF(9, 21.5, 14, kKey), 0.6, 0.6);
    return image;
}

QIcon KeyboardIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(KeyboardImage(size)));
    return icon;
}

}  // namespace kelm
