// The event list of one library macro as the event-list editor shows and
// changes it. Every change keeps the macro's invariants: at most kMaxEvents
// events, EventCount in range, the events past it zero, so a macro that
// goes to a key or the file never carries stale bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "settings/MacroLibrary.h"

namespace kelm {

// One row of the list: an event, or the delay after it when not 0. The
// list's item data is event + 1.
struct MacroListRow {
    int event = 0;
    bool delay = false;
};

// EventCount bounded to 0..kMaxEvents, for macros read from a damaged file.
int EventCountOf(const MacroEntry& macro);
std::span<const MacroEvent> EventsOf(const MacroEntry& macro);
std::vector<MacroListRow> MacroListRows(const MacroEntry& macro);

// Inserts all of events before index position (-1 or past the end: at the
// end), or nothing when they do not all fit.
bool InsertEvents(MacroEntry& macro, int position, std::span<const MacroEvent> events);
bool RemoveEvent(MacroEntry& macro, int index);
// The whole list replaced; events past kMaxEvents are not taken.
void ReplaceEvents(MacroEntry& macro, std::span<const MacroEvent> events);

// Texts typed into the delay and repeat fields, read as a number the way
// the fields' rules want it; digits beyond any range saturate.
std::uint16_t DelayFromText(std::string_view text);  // more than 65534: 65535, 0 or less: 1
int RepeatCountFromText(std::string_view text);      // 256 or more: 255, 0 or less: 1

}  // namespace kelm
