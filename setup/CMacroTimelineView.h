// The timeline editor's bars: one row per key stroke, the key's name at the
// left, a time axis on top, each bar from the key's press to its release.
// A click selects a bar; dragging it moves it in time, dragging one of its
// ends makes it longer or shorter. The strokes are the manager's own, so
// what is dragged here is what is written back.
#pragma once

#include <QAbstractScrollArea>

#include "setup/MacroTimelineEdit.h"

namespace kelm {

class CMacroTimelineView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kNameWidth = 96;
    static constexpr int kAxisHeight = 20;
    static constexpr int kRowHeight = 18;

    explicit CMacroTimelineView(QWidget* parent);

    // The strokes shown and edited (nullptr: none), fitted into the view.
    void SetTimeline(MacroTimeline* timeline);
    // The strokes changed under the view (one added or removed): the
    // selection and the scrolling follow, the zoom stays.
    void StrokesChanged();
    int Selected() const { return selected_; }
    // Selects a stroke and scrolls its bar into view; -1 selects none.
    void Select(int stroke);
    const TimelineAxis& Axis() const { return axis_; }
    void ZoomIn();
    void ZoomOut();
    // Where on the viewport a stroke's bar lies.
    QRect BarRect(int stroke) const;

signals:
    void SelectionChanged(int stroke);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The bars' area: x from the macro's start, y from the first row.
    QPoint ContentPoint(const QPoint& viewportPoint) const;
    void SetSelected(int stroke);
    void UpdateScrollBars();
    void Zoom(bool in);
    void PaintAxis(QPainter& p, const QRect& area) const;

    MacroTimeline* timeline_ = nullptr;
    TimelineAxis axis_;
    int selected_ = -1;
    // The drag under way: the part taken, where, and the stroke as it was.
    StrokePart dragPart_ = StrokePart::None;
    std::int64_t dragFrom_ = 0;
    MacroStroke dragOriginal_;
};

}  // namespace kelm
