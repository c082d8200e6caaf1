#include "setup/MacroEventList.h"

#include <algorithm>
#include <cstring>

namespace kelm {

namespace {

// A leading number with its sign, like the dialog fields' reading, held
// within ±limit so that twenty typed digits cannot overflow.
long long NumberFromText(std::string_view text, long long limit) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), limit);
    return negative ? -value : value;
}

void ZeroTail(MacroEntry& macro) {
    const int count = EventCountOf(macro);
    std::memset(macro.Events + count, 0, sizeof(MacroEvent) * static_cast<std::size_t>(kMaxEvents - count));
}

}  // namespace

int EventCountOf(const MacroEntry& macro) { return std::clamp(macro.EventCount, 0, kMaxEvents); }

std::span<const MacroEvent> EventsOf(const MacroEntry& macro) {
    return {macro.Events, static_cast<std::size_t>(EventCountOf(macro))};
}

std::vector<MacroListRow> MacroListRows(const MacroEntry& macro) {
    std::vector<MacroListRow> rows;
    const std::span<const MacroEvent> events = EventsOf(macro);
    for (std::size_t i = 0; i < events.size(); ++i) {
        rows.push_back({static_cast<int>(i), false});
        if (events[i].Delay != 0) rows.push_back({static_cast<int>(i), true});
    }
    return rows;
}

bool InsertEvents(MacroEntry& macro, int position, std::span<const MacroEvent> events) {
    const int count = EventCountOf(macro);
    if (events.size() > static_cast<std::size_t>(kMaxEvents - count)) return false;
    const int at = position < 0 || position > count ? count : position;
    const auto added = static_cast<int>(events.size());
    std::memmove(macro.Events + at + added, macro.Events + at,
                 sizeof(MacroEvent) * static_cast<std::size_t>(count - at));
    std::copy(events.begin(), events.end(), macro.Events + at);
    macro.EventCount = count + added;
    return true;
}

bool RemoveEvent(MacroEntry& macro, int index) {
    const int count = EventCountOf(macro);
    if (index < 0 || index >= count) return false;
    std::memmove(macro.Events + index, macro.Events + index + 1,
                 sizeof(MacroEvent) * static_cast<std::size_t>(count - index - 1));
    macro.EventCount = count - 1;
    ZeroTail(macro);
    return true;
}

void ReplaceEvents(MacroEntry& macro, std::span<const MacroEvent> events) {
    const std::size_t count = std::min<std::size_t>(events.size(), kMaxEvents);
    std::copy_n(events.begin(), count, macro.Events);
    macro.EventCount = static_cast<std::int32_t>(count);
    ZeroTail(macro);
}

std::uint16_t DelayFromText(std::string_view text) {
    const long long value = NumberFromText(text, 65535);
    return static_cast<std::uint16_t>(value <= 0 ? 1 : value);
}

int RepeatCountFromText(std::string_view text) {
    return static_cast<int>(std::clamp(NumberFromText(text, 255), 1LL, 255LL));
}

}  // namespace kelm
