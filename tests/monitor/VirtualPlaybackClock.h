// Playback clocks for tests: a virtual one that moves only when waited on
// or moved by hand, and that runs what a test has planned for a moment (a
// second key press) once a wait reaches it; and a real one whose waits end
// only when stopped.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

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

// A clock whose waits end only when stopped (or after a long while), so a
// playback is still running when something cuts it short.
class StoppableClock final : public PlaybackClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    bool WaitUntil(TimePoint, std::stop_token stop) override {
        if (!stop.stop_possible()) return true;
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait_for(lock, stop, std::chrono::seconds(20), [] { return false; });
        if (stop.stop_requested()) ++cutShort;
        return !stop.stop_requested();
    }
    std::atomic<int> cutShort{0};
};

}  // namespace kelm::test
