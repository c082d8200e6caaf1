// The timeline editor's editing, without its widget: the zoom steps and
// where a time lies on the axis, which bar a point meets and which part of
// it, and the dragging, adding and deleting of strokes. Every edit keeps a
// stroke where the events can hold it: never before the macro's start, its
// release never before its press, and never further past the other strokes
// than one event's delay reaches.
#pragma once

#include <array>
#include <cstdint>

#include "setup/MacroTimeline.h"

namespace kelm {

// Pixels per second.
inline constexpr std::array<int, 10> kTimelineZoomSteps{5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000};
// A new stroke: after the last one by the gap, held for the length (ms).
inline constexpr std::uint32_t kNewStrokeGap = 50;
inline constexpr std::uint32_t kNewStrokeLength = 100;

class TimelineAxis {
public:
    int Step() const { return step_; }
    int PixelsPerSecond() const { return kTimelineZoomSteps[static_cast<std::size_t>(step_)]; }
    bool ZoomIn();
    bool ZoomOut();
    // The closest step at which a macro ending at end fits into width
    // pixels, the widest for a short one.
    void Fit(std::uint32_t end, int width);

    // x 0 is the macro's start.
    std::int64_t XOf(std::uint32_t time) const;
    std::int64_t TimeAt(std::int64_t x) const;
    // Milliseconds between labelled ticks, far enough apart to be read.
    std::uint32_t TickStep() const;

private:
    int step_ = 4;
};

enum class StrokePart { None, Body, Start, End };

struct StrokeHit {
    int stroke = -1;
    StrokePart part = StrokePart::None;
    bool operator==(const StrokeHit&) const = default;
};

// Stroke i lies in row i, rowHeight pixels high; x as XOf gives it, y from
// the first row's top. A bar's ends take a few pixels each for resizing,
// and outside a narrow bar, so that it can still be moved.
StrokeHit HitStroke(const MacroTimeline& timeline, const TimelineAxis& axis, int rowHeight, std::int64_t x,
                    std::int64_t y);

// The latest time an edge of a stroke other than except reaches.
std::uint32_t TimelineEnd(const MacroTimeline& timeline, int except = -1);

// Stroke index as original moved (Body) or one end stretched by delta ms.
void DragStroke(MacroTimeline& timeline, int index, const MacroStroke& original, StrokePart part, std::int64_t delta);

// Another stroke of key after the last one; false when the timeline is full.
bool AddStrokeAtEnd(MacroTimeline& timeline, std::uint8_t key);
bool RemoveStroke(MacroTimeline& timeline, int index);

}  // namespace kelm
