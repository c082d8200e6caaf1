#include "skin/SkinArtParts.h"

#include <QLinearGradient>
#include <QPainter>
#include <cstdio>

#include "skin/SkinColors.h"

namespace kelm::skin {

QRectF ArtInner(const QRect& rect) { return QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5); }

QColor ArtFill(ArtLook look) {
    switch (look) {
        case ArtLook::Highlighted:
            return kArtHot;
        case ArtLook::Pressed:
            return kBlue;
        case ArtLook::Disabled:
            return kArtDisabled;
        case ArtLook::Normal:
            break;
    }
    return kArtControl;
}

QColor ArtEdge(ArtLook look) {
    switch (look) {
        case ArtLook::Highlighted:
        case ArtLook::Pressed:
            return kBlue;
        case ArtLook::Disabled:
            return kArtDisabledEdge;
        case ArtLook::Normal:
            break;
    }
    return kControlEdge;
}

void PaintPanel(QPainter& p, const QRectF& rect, qreal radius) {
    p.setPen(QPen(kArtPanelEdge, 1));
    p.setBrush(kArtPanel);
    p.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void PaintButton(QPainter& p, const QRect& rect, ArtLook look) {
    p.setPen(QPen(ArtEdge(look), 1));
    if (look == ArtLook::Pressed) {
        QLinearGradient shade(rect.topLeft(), rect.bottomLeft());
        shade.setColorAt(0, kBlue.lighter(115));
        shade.setColorAt(1, kBlue.darker(125));
        p.setBrush(shade);
    } else {
        p.setBrush(ArtFill(look));
    }
    p.drawRoundedRect(ArtInner(rect), kArtRadius, kArtRadius);
}

void PaintTitleGlyph(QPainter& p, const QRect& rect, ArtLook look, bool close) {
    if (look == ArtLook::Highlighted || look == ArtLook::Pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(look == ArtLook::Pressed ? kBlue : kArtHot);
        p.drawRoundedRect(QRectF(rect).adjusted(1, 1, -1, -1), kArtRadius, kArtRadius);
    }
    const QPointF c = QRectF(rect).center();
    p.setPen(QPen(look == ArtLook::Normal ? kArtGlyph : kLight, 1.6, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
        p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
    } else {
        p.drawLine(c + QPointF(-5, 3), c + QPointF(5, 3));
    }
}

// The outline is drawn without smoothing, so no pale fringe pixel counts as
// inside.
void PaintWindowShape(QPainter& p, const QSize& size, bool shaped) {
    const QRect all(QPoint(0, 0), size);
    if (!shaped) {
        p.fillRect(all, kArtPanel);
        return;
    }
    p.fillRect(all, kArtOutside);
    p.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0, kArtWindowTop);
    shade.setColorAt(1, kArtWindowBottom);
    p.setPen(QPen(QColor(0x1E, 0x5C, 0x80), 1));
    p.setBrush(shade);
    p.drawRoundedRect(all.adjusted(0, 0, -1, -1), 12, 12);
    p.setRenderHint(QPainter::Antialiasing, true);
}

void PaintFirmwareChip(QPainter& p, const QPointF& centre) {
    p.setPen(QPen(kBlue, 1.6));
    p.setBrush(kArtControl);
    const QRectF chip(centre.x() - 22, centre.y() - 22, 44, 44);
    p.drawRoundedRect(chip, 5, 5);
    for (int i = 0; i < 4; ++i) {
        const qreal at = chip.top() + 8 + i * 9.5;
        p.drawLine(QPointF(chip.left() - 7, at), QPointF(chip.left(), at));
        p.drawLine(QPointF(chip.right(), at), QPointF(chip.right() + 7, at));
    }
    p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF c = chip.center();
    p.drawLine(c + QPointF(0, -11), c + QPointF(0, 9));
    p.drawLine(c + QPointF(-7, 2), c + QPointF(0, 9));
    p.drawLine(c + QPointF(7, 2), c + QPointF(0, 9));
}

QImage ArtCanvas(const QSize& size, qreal scale, const QColor& fill) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(fill);
    return image;
}

bool SaveArt(const QString& folder, const QString& name, const std::function<QImage(qreal scale)>& render) {
    for (const qreal scale : {1.0, 2.0}) {
        const QString path =
            folder + QLatin1Char('/') + name + (scale > 1 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
        if (!render(scale).save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

bool SaveWindowArt(const QString& folder, const QString& name,
                   const std::function<QImage(const ArtLook* look, qreal scale)>& render) {
    static const std::pair<ArtLook, const char*> kLooks[] = {{ArtLook::Normal, "normal"},
                                                             {ArtLook::Highlighted, "highlighted"},
                                                             {ArtLook::Pressed, "pressed"},
                                                             {ArtLook::Disabled, "disabled"}};
    const auto opaque = [&render](const ArtLook* look) {
        return [&render, look](qreal scale) { return render(look, scale).convertToFormat(QImage::Format_RGB32); };
    };
    bool ok = SaveArt(folder, name, opaque(nullptr));
    for (const auto& entry : kLooks)
        ok = ok && SaveArt(folder, name + QLatin1Char('-') + QLatin1String(entry.second), opaque(&entry.first));
    return ok;
}

}  // namespace kelm::skin
