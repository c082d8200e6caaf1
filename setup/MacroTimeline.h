// The timeline editor's model: a macro as key strokes (key down .. key up
// spans on one time axis) and back to press and release events with delays.
//
// Events that cannot be strokes are dropped on the way in and counted, so
// the dialog can say so before the timeline is written back: a release
// without an earlier press of its key, a press never released, and any
// action other than press or release (a hand-edited file). A list of paired
// events comes back unchanged, order and delays alike.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "settings/SettingsRecord.h"

namespace kelm {

inline constexpr int kMaxStrokes = kMaxEvents / 2;

struct MacroStroke {
    std::uint8_t key = 0;
    // Milliseconds from the macro's start, wider than a delay so that a
    // long macro does not wrap on the way through.
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    // Rank of each edge among events of one time. Zero delays put many
    // events on one instant (Shift down, A down, A up, Shift up), and time
    // alone would give them back in another order that types another text.
    std::uint32_t pressOrder = 0;
    std::uint32_t releaseOrder = 0;
};

struct MacroTimeline {
    std::vector<MacroStroke> strokes;  // in the order of their presses
    int dropped = 0;                   // events that could not be strokes
};

MacroTimeline StrokesFromEvents(std::span<const MacroEvent> events);

// Events by time, earlier rank first among equal times; a gap longer than
// a delay holds is cut to 65535 ms; an end before its start counts as the
// start. At most kMaxStrokes strokes are written, the later ones dropped.
std::vector<MacroEvent> EventsFromStrokes(std::span<const MacroStroke> strokes);

// A stroke drawn on the timeline, after every existing edge of its times.
// False when the timeline already holds kMaxStrokes.
bool AddStroke(MacroTimeline& timeline, std::uint8_t key, std::uint32_t start, std::uint32_t end);

}  // namespace kelm
