// The real clock, adding up every sleep asked of it: what a keyboard
// sequence costs against the waits its protocol prescribes.
#pragma once

#include <cstdint>

#include "keyboard/Clock.h"

namespace kelm::bench {

class MeteredClock final : public IClock {
public:
    void SleepMs(int ms) override {
        if (ms > 0) askedMs_ += ms;
        clock_.SleepMs(ms);
    }
    std::time_t Now() override { return clock_.Now(); }
    std::int64_t AskedMs() const { return askedMs_; }

private:
    SystemClock clock_;
    std::int64_t askedMs_ = 0;
};

}  // namespace kelm::bench
