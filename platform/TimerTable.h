// The timers of one event loop, as pure bookkeeping on times passed in: the
// loop asks when to wake and which timer is due, and tests drive it with a
// clock of their own.
#pragma once

#include <chrono>
#include <map>
#include <optional>

#include "platform/Clock.h"

namespace kelm {

class TimerTable {
public:
    using TimePoint = Clock::TimePoint;
    using Duration = std::chrono::milliseconds;

    // Shorter periods are raised to this, as the window system does, so a
    // zero period cannot turn a timer into a busy loop.
    static constexpr Duration kMinimumPeriod{10};

    // Starts id, or restarts it with the new period: first due at now + period.
    void Set(unsigned id, Duration period, TimePoint now);
    bool Kill(unsigned id);

    std::optional<TimePoint> NextDue() const;
    // How long a loop may sleep at now before the earliest timer is due:
    // rounded up to whole milliseconds, so it never wakes too early, and
    // zero once one is due. Nothing while no timer runs.
    std::optional<Duration> WaitUntilDue(TimePoint now) const;

    // The earliest timer due at now, moved one period on. A timer that has
    // fallen more than a period behind fires once and continues a period
    // after now, as a window timer delivers one WM_TIMER however late it is.
    std::optional<unsigned> PopDue(TimePoint now);

private:
    struct Timer {
        Duration period;
        TimePoint due;
    };
    std::map<unsigned, Timer> timers_;
};

}  // namespace kelm
