// Time as the timer logic sees it. The programs use the monotonic clock;
// tests pass a clock they move by hand, so periods are checked without
// sleeping.
#pragma once

#include <chrono>

namespace kelm {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
};

// The monotonic clock of the machine.
const Clock& SteadyClock();

}  // namespace kelm
