// A playback clock that moves only when waited on or moved by hand, and
// that runs what a test has planned for a moment (a second key press) once
// a wait reaches it.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>

#include "monitor/PlaybackClock.h"

namespace kelm::test {

class VirtualPlaybackClock final : public PlaybackClock {
public:
    TimePoint Now() const override { return now_; }
    bool WaitUntil(TimePoint deadline, std::stop_token stop) override {
        for (;;) {
            if (stop.stop_requested()) return false;
            if (planned_.empty() || planned_.begin()->first > deadline) break;
            auto next = planned_.extract(planned_.begin());
            now_ = std::max(now_, next.key());
            next.mapped()();
        }
        now_ = std::max(now_, deadline);
        return true;
    }

    void At(long ms, std::function<void()> action) {
        planned_.emplace(TimePoint{} + std::chrono::milliseconds(ms), std::move(action));
    }
    void Advance(std::chrono::milliseconds by) { now_ += by; }

private:
    TimePoint now_{};
    std::multimap<TimePoint, std::function<void()>> planned_;
};

}  // namespace kelm::test
