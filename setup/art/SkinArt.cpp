#include "setup/art/SkinArt.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <span>

#include "setup/KeyboardPicture.h"
#include "skin/Layout.h"
#include "skin/SkinColors.h"

namespace kelm::art {

namespace {

using skin::kBlue;
using skin::kControlEdge;
using skin::kLight;

// The colours every program's pictures share.
const QColor& kWindowBottom = skin::kArtWindowBottom;
const QColor& kControl = skin::kArtControl;
const QColor& kHot = skin::kArtHot;
const QColor& kDisabled = skin::kArtDisabled;
const QColor& kDisabledEdge = skin::kArtDisabledEdge;
const QColor& kGlyph = skin::kArtGlyph;
constexpr qreal kRadius = skin::kArtRadius;

void Panel(QPainter& p, const QRectF& rect, qreal radius = 6) { skin::PaintPanel(p, rect, radius); }

// A section of a page: a panel with a short blue stroke where its heading
// (drawn by the page in the user's language) begins.
void Section(QPainter& p, const QRect& rect) {
    Panel(p, rect);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(rect.left() + 10, rect.top() + 8, 3, 14));
}

void Track(QPainter& p, const QRect& rect) {
    const qreal y = rect.center().y() + 0.5;
    p.setPen(Qt::NoPen);
    p.setBrush(kControlEdge);
    p.drawRoundedRect(QRectF(rect.left() + 2, y - 2, rect.width() - 4, 4), 2, 2);
}

void Button(QPainter& p, const QRect& rect, Look look) { skin::PaintButton(p, rect, look); }

void Tab(QPainter& p, const QRect& rect, Look look) {
    const QRectF area = QRectF(rect).adjusted(2, 2, -2, 0);
    p.setPen(Qt::NoPen);
    if (look == Look::Highlighted) p.setBrush(kHot);
    if (look == Look::Pressed) p.setBrush(QColor(0x14, 0x2C, 0x40));
    if (look == Look::Highlighted || look == Look::Pressed) p.drawRoundedRect(area, kRadius, kRadius);
    p.setBrush(look == Look::Pressed ? kBlue : kControlEdge);
    const qreal bar = look == Look::Pressed ? 3 : 1;
    p.drawRect(QRectF(area.left(), area.bottom() - bar, area.width(), bar));
}

// A small window of four panes: the Windows profile.
void Marker(QPainter& p, const QRect& rect, Look look) {
    const QRectF box = QRectF(rect).adjusted(4, 4, -4, -4);
    const qreal half = box.width() / 2;
    const QColor colour = look == Look::Disabled ? kDisabledEdge : look == Look::Normal ? kGlyph : kBlue;
    p.setPen(QPen(colour, 1.2));
    p.setBrush(look == Look::Pressed ? kBlue : Qt::transparent);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            p.drawRect(QRectF(box.left() + column * half + 0.5, box.top() + row * half + 0.5, half - 1.5, half - 1.5));
}

void Switch(QPainter& p, const QRect& rect, Look look) {
    const qreal side = std::min(12, rect.height() - 2);
    const QRectF box(rect.left() + 1.5, rect.top() + (rect.height() - side) / 2, side, side);
    p.setPen(QPen(skin::ArtEdge(look), 1));
    p.setBrush(look == Look::Pressed ? kBlue : look == Look::Disabled ? kDisabled : kControl);
    p.drawRoundedRect(box, 2, 2);
    if (look != Look::Pressed) return;
    QPainterPath tick;
    tick.moveTo(box.left() + side * 0.22, box.top() + side * 0.52);
    tick.lineTo(box.left() + side * 0.42, box.top() + side * 0.72);
    tick.lineTo(box.left() + side * 0.78, box.top() + side * 0.28);
    p.setPen(QPen(kLight, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void Dropdown(QPainter& p, const QRect& rect, Look look) {
    Button(p, rect, look == Look::Pressed ? Look::Highlighted : look);
    const qreal x = rect.right() - 9;
    const qreal y = rect.center().y() + 0.5;
    QPainterPath chevron;
    chevron.moveTo(x - 3.5, y - 1.5);
    chevron.lineTo(x, y + 2);
    chevron.lineTo(x + 3.5, y - 1.5);
    p.setPen(QPen(look == Look::Disabled ? kDisabledEdge : kBlue, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(chevron);
}

void Field(QPainter& p, const QRect& rect, Look look) {
    p.setPen(QPen(look == Look::Highlighted || look == Look::Pressed ? kBlue : kControlEdge, 1));
    p.setBrush(QColor(0x05, 0x06, 0x08));
    p.drawRoundedRect(skin::ArtInner(rect), 2, 2);
}

void Entry(QPainter& p, const QRect& rect, Look look) {
    if (look != Look::Highlighted && look != Look::Pressed) return;
    p.setPen(Qt::NoPen);
    p.setBrush(look == Look::Pressed ? kBlue : kHot);
    p.drawRect(rect);
}

void Control(QPainter& p, const ArtControl& control, Look look) {
    const QRect rect = skin::ParseLayout(control.layout).Rect();
    if (rect.isEmpty()) return;
    switch (control.kind) {
        case ControlKind::Button:
            return Button(p, rect, look);
        case ControlKind::Tab:
            return Tab(p, rect, look);
        case ControlKind::Marker:
            return Marker(p, rect, look);
        case ControlKind::Switch:
            return Switch(p, rect, look);
        case ControlKind::Dropdown:
            return Dropdown(p, rect, look);
        case ControlKind::Field:
            return Field(p, rect, look);
        case ControlKind::Minimize:
            return skin::PaintTitleGlyph(p, rect, look, false);
        case ControlKind::Close:
            return skin::PaintTitleGlyph(p, rect, look, true);
        case ControlKind::Entry:
            return Entry(p, rect, look);
    }
}

// Edit fields are drawn by the fields themselves on top of the page, so
// their boxes belong to every picture, the background included.
void PaintBackground(QPainter& p, const ArtWindow& window) {
    skin::PaintWindowShape(p, window.size, window.shaped);
    if (window.background) window.background(p);
    for (const ArtControl& control : window.controls)
        if (control.kind == ControlKind::Field) Control(p, control, Look::Normal);
}

}  // namespace

QImage RenderBackground(const ArtWindow& window, qreal scale) {
    QImage image = skin::ArtCanvas(window.size, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    PaintBackground(p, window);
    return image;
}

QImage RenderLook(const ArtWindow& window, Look look, qreal scale) {
    QImage image = skin::ArtCanvas(window.size, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    PaintBackground(p, window);
    for (const ArtControl& control : window.controls)
        if (control.kind != ControlKind::Field || look != Look::Normal) Control(p, control, look);
    return image;
}

QImage RenderSliderThumb(qreal scale) {
    const QSize size(12, 20);
    QImage image = skin::ArtCanvas(size, scale, Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0, kBlue.lighter(125));
    shade.setColorAt(1, kBlue.darker(115));
    p.setPen(QPen(kBlue.darker(160), 1));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(1.5, 2.5, 9, 15), 3, 3);
    p.setPen(QPen(kLight, 1));
    p.drawLine(QPointF(6, 7), QPointF(6, 13));
    return image;
}

// A mouse beside a key: keyboard and mouse work as one.
QImage RenderMouse(qreal scale) {
    const QSize size(171, 45);
    QImage image = skin::ArtCanvas(size, scale, Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kBlue, 1.6));
    p.setBrush(kControl);
    p.drawRoundedRect(QRectF(10, 6, 22, 34), 11, 11);
    p.drawLine(QPointF(21, 6), QPointF(21, 18));
    p.drawRoundedRect(QRectF(44, 14, 18, 18), 3, 3);
    p.setPen(QPen(kGlyph, 1.4, Qt::DotLine, Qt::RoundCap));
    p.drawLine(QPointF(34, 23), QPointF(42, 23));
    return image;
}

QImage RenderIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(QPen(kBlue, 3));
    p.setBrush(kWindowBottom);
    p.drawRoundedRect(QRectF(4, 12, 56, 40), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 5 - (row == 2 ? 2 : 0); ++column)
            p.drawRoundedRect(QRectF(11 + column * 9 + (row == 2 ? 9 : 0), 19 + row * 10, 6, 6), 1.5, 1.5);
    return image;
}

// Section rectangles and tracks live with the windows they belong to.
void DrawSection(QPainter& p, const QRect& rect) { Section(p, rect); }
void DrawPanel(QPainter& p, const QRect& rect) { Panel(p, rect); }
void DrawTrack(QPainter& p, std::string_view layout) { Track(p, skin::ParseLayout(layout).Rect()); }

// The keyboard of the key-assignment pages: every cap dim, those the page
// assigns in the skin's blue with their names.
void DrawKeyboard(QPainter& p, std::span<const std::string_view> assigned) {
    QFont legend(QStringLiteral("DejaVu Sans"));
    legend.setPixelSize(8);
    legend.setBold(true);
    for (const KeyCap& key : KeyboardKeys()) {
        const QRectF cap(key.x + 0.5, key.y + 0.5, key.width - 1, key.height - 1);
        const bool mine = std::find(assigned.begin(), assigned.end(), key.name) != assigned.end();
        p.setPen(QPen(mine ? kBlue : kControlEdge, 1));
        p.setBrush(mine ? skin::kChosen : kControl);
        p.drawRoundedRect(cap, 3, 3);
        if (!mine) continue;
        // The small multimedia keys take their names a size or two smaller.
        const QString name = QString::fromUtf8(key.name.data(), static_cast<qsizetype>(key.name.size()));
        QFont fitted = legend;
        while (QFontMetricsF(fitted).horizontalAdvance(name) > cap.width() - 2 && fitted.pixelSize() > 5)
            fitted.setPixelSize(fitted.pixelSize() - 1);
        p.setFont(fitted);
        p.setPen(kLight);
        p.drawText(cap, Qt::AlignCenter, name);
    }
}

// Three rows of keys fading to the right: the header's ornament.
void DrawKeyboardBand(QPainter& p, const QRect& area) {
    constexpr int kKey = 11;
    constexpr int kGap = 3;
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 3; ++row) {
        const int indent = row * 5;
        for (int x = area.left() + indent; x + kKey <= area.right(); x += kKey + kGap) {
            const float fade = 1.0f - static_cast<float>(x - area.left()) / static_cast<float>(area.width());
            QColor key = kBlue;
            key.setAlphaF(0.08f + 0.22f * fade);
            p.setBrush(key);
            p.drawRoundedRect(QRectF(x, area.top() + row * (kKey + kGap), kKey, kKey), 2, 2);
        }
    }
}

}  // namespace kelm::art
