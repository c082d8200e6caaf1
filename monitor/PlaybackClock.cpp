#include "monitor/PlaybackClock.h"

#include <condition_variable>
#include <mutex>

namespace kelm {

namespace {

class SteadyWaitClock final : public PlaybackClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    bool WaitUntil(TimePoint deadline, std::stop_token stop) override {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait_until(lock, stop, deadline, [] { return false; });
        return !stop.stop_requested();
    }
};

}  // namespace

PlaybackClock& SteadyPlaybackClock() {
    static SteadyWaitClock clock;
    return clock;
}

}  // namespace kelm
