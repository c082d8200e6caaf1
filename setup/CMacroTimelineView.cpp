#include "setup/CMacroTimelineView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "keyboard/KeyNames.h"
#include "setup/MacroDialogContext.h"
#include "setup/SkinSet.h"
#include "skin/SkinColors.h"

namespace kelm {

namespace {

using skin::kBlue;
using skin::kChosen;
using skin::kControlEdge;
using skin::kDimText;
using skin::kLight;

constexpr int kBarHeight = 12;
// Room after the last bar, to drag it later.
constexpr int kTrailingRoom = 80;

const QColor kGround(0x05, 0x06, 0x08);
const QColor kStripe(0x0B, 0x0E, 0x12);
const QColor kGrid(0x1A, 0x21, 0x29);

QString TickLabel(std::uint32_t time, std::uint32_t step) {
    if (step >= 1000) return QStringLiteral("%1 s").arg(time / 1000);
    if (time < 1000) return QStringLiteral("%1 ms").arg(time);
    return QStringLiteral("%1 s").arg(QString::number(time / 1000.0, 'f', step >= 100 ? 1 : 2));
}

}  // namespace

CMacroTimelineView::CMacroTimelineView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    setStyleSheet(MacroScrollBarStyle());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(kRowHeight);
}

void CMacroTimelineView::SetTimeline(MacroTimeline* timeline) {
    timeline_ = timeline;
    selected_ = -1;
    dragPart_ = StrokePart::None;
    axis_.Fit(timeline_ != nullptr ? TimelineEnd(*timeline_) + kTrailingRoom / 4 : 0,
              viewport()->width() - kNameWidth - kTrailingRoom);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
    emit SelectionChanged(selected_);
}

void CMacroTimelineView::StrokesChanged() {
    dragPart_ = StrokePart::None;
    UpdateScrollBars();
    const int selected = selected_;
    selected_ = -1;
    Select(selected);
    viewport()->update();
}

void CMacroTimelineView::Select(int stroke) {
    if (timeline_ != nullptr && stroke >= 0 && static_cast<std::size_t>(stroke) < timeline_->strokes.size()) {
        const QRect bar = BarRect(stroke);
        const int width = viewport()->width() - kNameWidth;
        if (bar.left() < kNameWidth || bar.left() > kNameWidth + width - kTrailingRoom)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + bar.left() - kNameWidth -
                                            kTrailingRoom / 4);
        QScrollBar* rows = verticalScrollBar();
        const int top = stroke * kRowHeight;
        if (top < rows->value()) rows->setValue(top);
        if (top + kRowHeight > rows->value() + rows->pageStep()) rows->setValue(top + kRowHeight - rows->pageStep());
    }
    SetSelected(stroke);
}

// Without scrolling: a click must leave the bar under the mouse.
void CMacroTimelineView::SetSelected(int stroke) {
    if (timeline_ == nullptr || stroke < 0 || static_cast<std::size_t>(stroke) >= timeline_->strokes.size())
        stroke = -1;
    if (stroke == selected_) return;
    selected_ = stroke;
    viewport()->update();
    emit SelectionChanged(selected_);
}

void CMacroTimelineView::ZoomIn() { Zoom(true); }
void CMacroTimelineView::ZoomOut() { Zoom(false); }

// The time at the view's left edge stays where it is.
void CMacroTimelineView::Zoom(bool in) {
    const std::int64_t left = axis_.TimeAt(horizontalScrollBar()->value());
    if (!(in ? axis_.ZoomIn() : axis_.ZoomOut())) return;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(axis_.XOf(static_cast<std::uint32_t>(left))));
    viewport()->update();
}

void CMacroTimelineView::UpdateScrollBars() {
    const int width = viewport()->width() - kNameWidth;
    const int height = viewport()->height() - kAxisHeight;
    const std::int64_t contentWidth = (timeline_ != nullptr ? axis_.XOf(TimelineEnd(*timeline_)) : 0) + kTrailingRoom;
    const int rows = timeline_ != nullptr ? static_cast<int>(timeline_->strokes.size()) : 0;
    horizontalScrollBar()->setRange(0, static_cast<int>(std::max<std::int64_t>(0, contentWidth - width)));
    horizontalScrollBar()->setPageStep(std::max(1, width));
    verticalScrollBar()->setRange(0, std::max(0, rows * kRowHeight - height));
    verticalScrollBar()->setPageStep(std::max(1, height));
}

QPoint CMacroTimelineView::ContentPoint(const QPoint& viewportPoint) const {
    return {viewportPoint.x() - kNameWidth + horizontalScrollBar()->value(),
            viewportPoint.y() - kAxisHeight + verticalScrollBar()->value()};
}

QRect CMacroTimelineView::BarRect(int stroke) const {
    if (timeline_ == nullptr || stroke < 0 || static_cast<std::size_t>(stroke) >= timeline_->strokes.size()) return {};
    const MacroStroke& s = timeline_->strokes[static_cast<std::size_t>(stroke)];
    const auto left = static_cast<int>(axis_.XOf(s.start)) + kNameWidth - horizontalScrollBar()->value();
    const auto right =
        static_cast<int>(axis_.XOf(std::max(s.start, s.end))) + kNameWidth - horizontalScrollBar()->value();
    const int top = kAxisHeight + stroke * kRowHeight - verticalScrollBar()->value() + (kRowHeight - kBarHeight) / 2;
    // Even a stroke of no length shows, as a sliver.
    return QRect(left, top, std::max(right - left, 3), kBarHeight);
}

void CMacroTimelineView::PaintAxis(QPainter& p, const QRect& area) const {
    p.fillRect(area, kGround);
    p.setPen(kControlEdge);
    p.drawLine(area.bottomLeft(), area.bottomRight());
    const std::uint32_t step = axis_.TickStep();
    const std::int64_t scroll = horizontalScrollBar()->value();
    const auto first = static_cast<std::uint32_t>(axis_.TimeAt(scroll) / step * step);
    for (std::uint32_t time = first;; time += step) {
        const auto x = static_cast<int>(area.left() + axis_.XOf(time) - scroll);
        if (x > area.right()) break;
        p.setPen(kControlEdge);
        p.drawLine(x, area.bottom() - 4, x, area.bottom());
        p.setPen(kDimText);
        p.drawText(QRect(x + 3, area.top(), 80, area.height() - 2), Qt::AlignLeft | Qt::AlignVCenter,
                   TickLabel(time, step));
    }
}

void CMacroTimelineView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QRect all = viewport()->rect();
    p.fillRect(all, kGround);
    const QRect bars(kNameWidth, kAxisHeight, all.width() - kNameWidth, all.height() - kAxisHeight);
    const int rows = timeline_ != nullptr ? static_cast<int>(timeline_->strokes.size()) : 0;
    const int scrollY = verticalScrollBar()->value();
    const int firstRow = scrollY / kRowHeight;
    const int lastRow = std::min(rows - 1, (scrollY + bars.height()) / kRowHeight);

    // Rows striped across the whole width, the selected one marked.
    p.setClipRect(QRect(0, kAxisHeight, all.width(), bars.height()));
    for (int row = firstRow; row <= lastRow; ++row) {
        const QRect band(0, kAxisHeight + row * kRowHeight - scrollY, all.width(), kRowHeight);
        if (row == selected_) {
            p.fillRect(band, kChosen);
        } else if (row % 2 == 1) {
            p.fillRect(band, kStripe);
        }
    }
    // Grid lines under the bars, at the axis' ticks.
    p.setClipRect(bars);
    const std::uint32_t step = axis_.TickStep();
    const std::int64_t scrollX = horizontalScrollBar()->value();
    p.setPen(kGrid);
    for (auto time = static_cast<std::uint32_t>(axis_.TimeAt(scrollX) / step * step);; time += step) {
        const auto x = static_cast<int>(kNameWidth + axis_.XOf(time) - scrollX);
        if (x > bars.right()) break;
        p.drawLine(x, bars.top(), x, bars.bottom());
    }
    p.setRenderHint(QPainter::Antialiasing);
    for (int row = firstRow; row <= lastRow; ++row) {
        const QRectF bar = QRectF(BarRect(row)).adjusted(0.5, 0.5, -0.5, -0.5);
        const bool selected = row == selected_;
        p.setPen(selected ? QPen(kLight, 1) : QPen(kBlue.darker(140), 1));
        p.setBrush(selected ? kBlue.lighter(125) : kBlue);
        p.drawRoundedRect(bar, 3, 3);
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The key names stay at the left while the bars scroll.
    const QRect names(0, kAxisHeight, kNameWidth, bars.height());
    p.setClipRect(names);
    for (int row = firstRow; row <= lastRow; ++row) {
        const QRect cell(6, kAxisHeight + row * kRowHeight - scrollY, kNameWidth - 10, kRowHeight);
        const QString name = Utf8(UsageName(timeline_->strokes[static_cast<std::size_t>(row)].key));
        p.setPen(row == selected_ ? kLight : kDimText);
        p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(name, Qt::ElideRight, cell.width()));
    }
    p.setClipping(false);
    p.setPen(kControlEdge);
    p.drawLine(kNameWidth - 1, 0, kNameWidth - 1, all.bottom());
    PaintAxis(p, QRect(kNameWidth, 0, bars.width(), kAxisHeight));
}

void CMacroTimelineView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CMacroTimelineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || timeline_ == nullptr) return QAbstractScrollArea::mousePressEvent(event);
    const QPoint at = ContentPoint(event->position().toPoint());
    if (event->position().y() < kAxisHeight) return;
    if (event->position().x() < kNameWidth) {
        SetSelected(at.y() / kRowHeight);
        return;
    }
    const StrokeHit hit = HitStroke(*timeline_, axis_, kRowHeight, at.x(), at.y());
    SetSelected(hit.stroke);
    dragPart_ = hit.part;
    if (hit.stroke < 0) return;
    dragFrom_ = at.x();
    dragOriginal_ = timeline_->strokes[static_cast<std::size_t>(hit.stroke)];
}

void CMacroTimelineView::mouseMoveEvent(QMouseEvent* event) {
    if (timeline_ == nullptr) return;
    const QPoint at = ContentPoint(event->position().toPoint());
    if (dragPart_ != StrokePart::None && selected_ >= 0) {
        DragStroke(*timeline_, selected_, dragOriginal_, dragPart_, axis_.TimeAt(at.x()) - axis_.TimeAt(dragFrom_));
        viewport()->update();
        return;
    }
    const bool inBars = event->position().x() >= kNameWidth && event->position().y() >= kAxisHeight;
    const StrokePart part = inBars ? HitStroke(*timeline_, axis_, kRowHeight, at.x(), at.y()).part : StrokePart::None;
    viewport()->setCursor(part == StrokePart::Body                               ? Qt::SizeAllCursor
                          : part == StrokePart::Start || part == StrokePart::End ? Qt::SizeHorCursor
                                                                                 : Qt::ArrowCursor);
}

void CMacroTimelineView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    dragPart_ = StrokePart::None;
    UpdateScrollBars();
}

}  // namespace kelm
