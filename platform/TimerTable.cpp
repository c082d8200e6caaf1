#include "platform/TimerTable.h"

#include <algorithm>

namespace kelm {

void TimerTable::Set(unsigned id, Duration period, TimePoint now) {
    period = std::max(period, kMinimumPeriod);
    timers_[id] = Timer{period, now + period};
}

bool TimerTable::Kill(unsigned id) { return timers_.erase(id) > 0; }

std::optional<TimerTable::TimePoint> TimerTable::NextDue() const {
    std::optional<TimePoint> next;
    for (const auto& [id, timer] : timers_)
        if (!next || timer.due < *next) next = timer.due;
    return next;
}

std::optional<TimerTable::Duration> TimerTable::WaitUntilDue(TimePoint now) const {
    const std::optional<TimePoint> due = NextDue();
    if (!due) return std::nullopt;
    return std::max(std::chrono::ceil<Duration>(*due - now), Duration{0});
}

std::optional<unsigned> TimerTable::PopDue(TimePoint now) {
    auto earliest = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->second.due <= now && (earliest == timers_.end() || it->second.due < earliest->second.due))
            earliest = it;
    if (earliest == timers_.end()) return std::nullopt;
    Timer& timer = earliest->second;
    timer.due += timer.period;
    if (timer.due <= now) timer.due = now + timer.period;
    return earliest->first;
}

}  // namespace kelm
