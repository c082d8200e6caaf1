// The drawing that every program's pictures share, for the programs that
// draw their skins at build time: the dark shaped window, panels, push
// buttons and the title bar's glyphs in each control look, in the suite's
// colours. What a window shows beyond these is its own program's.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;

namespace kelm::skin {

enum class ArtLook { Normal, Highlighted, Pressed, Disabled };

inline const QColor kArtOutside(255, 255, 255);  // outside a shaped window
inline const QColor kArtWindowTop(0x12, 0x16, 0x1B);
inline const QColor kArtWindowBottom(0x07, 0x09, 0x0B);
inline const QColor kArtPanel(0x0E, 0x12, 0x16);
inline const QColor kArtPanelEdge(0x1F, 0x2A, 0x35);
inline const QColor kArtControl(0x17, 0x1C, 0x22);
inline const QColor kArtHot(0x1C, 0x28, 0x34);
inline const QColor kArtDisabled(0x10, 0x13, 0x16);
inline const QColor kArtDisabledEdge(0x1A, 0x1F, 0x24);
inline const QColor kArtGlyph(0x9A, 0xA5, 0xB1);
inline constexpr qreal kArtRadius = 4;

// A control's rectangle drawn on pixel centres.
QRectF ArtInner(const QRect& rect);
QColor ArtFill(ArtLook look);
QColor ArtEdge(ArtLook look);

void PaintPanel(QPainter& p, const QRectF& rect, qreal radius = 6);
void PaintButton(QPainter& p, const QRect& rect, ArtLook look);
// The title bar's close (a cross) or minimise (a bar) glyph.
void PaintTitleGlyph(QPainter& p, const QRect& rect, ArtLook look, bool close);
// A shaped window: dark, with rounded corners that are pure white outside
// (the window's shape is read from them) and a thin blue edge; unshaped, a
// plain panel.
void PaintWindowShape(QPainter& p, const QSize& size, bool shaped);
// KelmFlash's emblem, a chip being written (pins and an arrow into it),
// 44 units square around centre: its window shows it and its icon is it.
void PaintFirmwareChip(QPainter& p, const QPointF& centre);

// A picture to draw on at a scale, filled with fill (the outside of a shape
// for windows, transparent for small pictures).
QImage ArtCanvas(const QSize& size, qreal scale, const QColor& fill = kArtOutside);

// Writes a picture at normal and twice the density: "<name>.png" and
// "<name>@2x.png" in folder. False, said on stderr, when a file cannot be
// written.
bool SaveArt(const QString& folder, const QString& name, const std::function<QImage(qreal scale)>& render);
// A window's set: its background (render with no look) and one picture per
// look, "<name>-normal" ... "<name>-disabled", each at both densities.
// Windows are opaque: kept without an alpha channel they are smaller and
// need no conversion when a program loads them.
bool SaveWindowArt(const QString& folder, const QString& name,
                   const std::function<QImage(const ArtLook* look, qreal scale)>& render);

}  // namespace kelm::skin
