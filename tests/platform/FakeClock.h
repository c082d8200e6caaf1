// A clock that moves only when a test moves it.
#pragma once

#include <chrono>

#include "platform/Clock.h"

namespace kelm::test {

class FakeClock final : public Clock {
public:
    TimePoint Now() const override { return now_; }
    void Advance(std::chrono::milliseconds by) { now_ += by; }
    // Milliseconds since the clock's start, for readable expectations.
    long Elapsed() const {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now_ - TimePoint{}).count());
    }

private:
    TimePoint now_{};
};

}  // namespace kelm::test
