#include "setup/MacroTimelineEdit.h"

#include <algorithm>
#include <limits>

namespace kelm {

namespace {

constexpr std::int64_t kMaxDelay = std::numeric_limits<std::uint16_t>::max();
constexpr std::int64_t kGrip = 4;  // pixels of a bar's end that resize it
constexpr std::int64_t kNarrowBar = 3 * kGrip;
constexpr int kMinTickSpacing = 60;  // pixels
constexpr std::array<std::uint32_t, 14> kTickSteps{10,   20,   50,    100,   200,   500,   1000,
                                                   2000, 5000, 10000, 15000, 30000, 60000, 120000};

std::uint32_t Clamp(std::int64_t value, std::int64_t low, std::int64_t high) {
    return static_cast<std::uint32_t>(std::clamp(value, low, std::max(low, high)));
}

}  // namespace

bool TimelineAxis::ZoomIn() {
    if (step_ + 1 >= static_cast<int>(kTimelineZoomSteps.size())) return false;
    ++step_;
    return true;
}

bool TimelineAxis::ZoomOut() {
    if (step_ == 0) return false;
    --step_;
    return true;
}

void TimelineAxis::Fit(std::uint32_t end, int width) {
    step_ = 0;
    while (step_ + 1 < static_cast<int>(kTimelineZoomSteps.size()) &&
           std::int64_t{end} * kTimelineZoomSteps[static_cast<std::size_t>(step_ + 1)] / 1000 <= width)
        ++step_;
}

std::int64_t TimelineAxis::XOf(std::uint32_t time) const { return std::int64_t{time} * PixelsPerSecond() / 1000; }

std::int64_t TimelineAxis::TimeAt(std::int64_t x) const { return x * 1000 / PixelsPerSecond(); }

std::uint32_t TimelineAxis::TickStep() const {
    for (const std::uint32_t step : kTickSteps)
        if (XOf(step) >= kMinTickSpacing) return step;
    return kTickSteps.back();
}

StrokeHit HitStroke(const MacroTimeline& timeline, const TimelineAxis& axis, int rowHeight, std::int64_t x,
                    std::int64_t y) {
    if (y < 0 || rowHeight <= 0) return {};
    const std::int64_t row = y / rowHeight;
    if (row >= static_cast<std::int64_t>(timeline.strokes.size())) return {};
    const MacroStroke& stroke = timeline.strokes[static_cast<std::size_t>(row)];
    const std::int64_t left = axis.XOf(stroke.start);
    const std::int64_t right = std::max(left, axis.XOf(stroke.end));
    const int index = static_cast<int>(row);
    if (x < left - kGrip || x > right + kGrip) return {};
    // Too narrow to share: the bar itself moves, its surroundings resize.
    const std::int64_t grip = right - left < kNarrowBar ? 0 : kGrip;
    if (x < left + grip) return {index, StrokePart::Start};
    if (x > right - grip) return {index, StrokePart::End};
    return {index, StrokePart::Body};
}

std::uint32_t TimelineEnd(const MacroTimeline& timeline, int except) {
    std::uint32_t end = 0;
    for (std::size_t s = 0; s < timeline.strokes.size(); ++s)
        if (static_cast<int>(s) != except) end = std::max({end, timeline.strokes[s].start, timeline.strokes[s].end});
    return end;
}

void DragStroke(MacroTimeline& timeline, int index, const MacroStroke& original, StrokePart part, std::int64_t delta) {
    if (index < 0 || static_cast<std::size_t>(index) >= timeline.strokes.size()) return;
    MacroStroke& stroke = timeline.strokes[static_cast<std::size_t>(index)];
    // No edge further from the others than one delay can hold.
    const std::int64_t limit = std::int64_t{TimelineEnd(timeline, index)} + kMaxDelay;
    const std::int64_t start = original.start;
    const std::int64_t end = std::max(original.start, original.end);
    switch (part) {
        case StrokePart::Body:
            stroke.start = Clamp(start + delta, 0, limit - (end - start));
            stroke.end = static_cast<std::uint32_t>(stroke.start + (end - start));
            break;
        case StrokePart::Start:
            stroke.start = Clamp(start + delta, 0, end);
            break;
        case StrokePart::End:
            stroke.end = Clamp(end + delta, start, limit);
            break;
        case StrokePart::None:
            break;
    }
}

bool AddStrokeAtEnd(MacroTimeline& timeline, std::uint8_t key) {
    const std::uint32_t start = timeline.strokes.empty() ? 0 : TimelineEnd(timeline) + kNewStrokeGap;
    return AddStroke(timeline, key, start, start + kNewStrokeLength);
}

bool RemoveStroke(MacroTimeline& timeline, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= timeline.strokes.size()) return false;
    timeline.strokes.erase(timeline.strokes.begin() + index);
    return true;
}

}  // namespace kelm
