#include "platform/Clock.h"

namespace kelm {

namespace {

class MonotonicClock final : public Clock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace

const Clock& SteadyClock() {
    static const MonotonicClock clock;
    return clock;
}

}  // namespace kelm
