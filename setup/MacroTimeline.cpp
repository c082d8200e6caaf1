#include "setup/MacroTimeline.h"

#include <algorithm>
#include <limits>

namespace kelm {

namespace {

struct OpenPress {
    std::uint8_t key;
    std::uint32_t time;
    std::uint32_t order;
    std::size_t stroke;  // index of the stroke it opens once released
};

struct TimedEvent {
    std::uint32_t time;
    std::uint32_t order;
    MacroEvent event;
};

}  // namespace

MacroTimeline StrokesFromEvents(std::span<const MacroEvent> events) {
    MacroTimeline timeline;
    // Strokes keep their press order, which is known only when each press
    // is met, so a slot is kept per press and the unreleased ones removed.
    std::vector<MacroStroke> slots;
    std::vector<bool> released;
    std::vector<OpenPress> open;
    std::uint32_t time = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const MacroEvent& e = events[i];
        const auto order = static_cast<std::uint32_t>(i);
        if (e.Action == kActionPress) {
            open.push_back({e.KeyCode, time, order, slots.size()});
            slots.push_back({e.KeyCode, time, time, order, order});
            released.push_back(false);
        } else if (e.Action == kActionRelease) {
            // The most recent press of the key; the others stay open in
            // their order, as if popped and put back.
            const auto match =
                std::find_if(open.rbegin(), open.rend(), [&](const OpenPress& p) { return p.key == e.KeyCode; });
            if (match == open.rend()) {
                ++timeline.dropped;
            } else {
                MacroStroke& stroke = slots[match->stroke];
                stroke.end = time;
                stroke.releaseOrder = order;
                released[match->stroke] = true;
                open.erase(std::next(match).base());
            }
        } else {
            ++timeline.dropped;
        }
        time += e.Delay;
    }
    timeline.dropped += static_cast<int>(open.size());
    for (std::size_t s = 0; s < slots.size(); ++s)
        if (released[s]) timeline.strokes.push_back(slots[s]);
    return timeline;
}

std::vector<MacroEvent> EventsFromStrokes(std::span<const MacroStroke> strokes) {
    std::vector<TimedEvent> timed;
    const std::size_t count = std::min<std::size_t>(strokes.size(), kMaxStrokes);
    for (std::size_t s = 0; s < count; ++s) {
        const MacroStroke& stroke = strokes[s];
        timed.push_back({stroke.start, stroke.pressOrder, {stroke.key, kActionPress, 0}});
        // A release ranked before its press at the same instant would
        // come first and leave the key held.
        timed.push_back({std::max(stroke.start, stroke.end),
                         std::max(stroke.pressOrder, stroke.releaseOrder),
                         {stroke.key, kActionRelease, 0}});
    }
    std::stable_sort(timed.begin(), timed.end(), [](const TimedEvent& a, const TimedEvent& b) {
        return a.time != b.time ? a.time < b.time : a.order < b.order;
    });
    std::vector<MacroEvent> events;
    events.reserve(timed.size());
    for (std::size_t i = 0; i < timed.size(); ++i) {
        MacroEvent e = timed[i].event;
        if (i + 1 < timed.size())
            e.Delay = static_cast<std::uint16_t>(
                std::min<std::uint32_t>(timed[i + 1].time - timed[i].time, std::numeric_limits<std::uint16_t>::max()));
        events.push_back(e);
    }
    return events;
}

bool AddStroke(MacroTimeline& timeline, std::uint8_t key, std::uint32_t start, std::uint32_t end) {
    if (timeline.strokes.size() >= kMaxStrokes) return false;
    std::uint32_t last = 0;
    for (const MacroStroke& s : timeline.strokes) last = std::max({last, s.pressOrder + 1, s.releaseOrder + 1});
    timeline.strokes.push_back({key, start, std::max(start, end), last, last + 1});
    return true;
}

}  // namespace kelm
