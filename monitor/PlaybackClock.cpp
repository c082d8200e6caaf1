#include "monitor/PlaybackClock.h"

#include <sys/prctl.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kelm {

namespace {

// A sleeping thread wakes some tenths of a millisecond after its deadline
// (timer slack, the scheduler), which a macro's timing would show. The wait
// therefore sleeps until shortly before the deadline and spends the rest
// yielding: at most a millisecond of CPU per event, and only while a
// macro plays.
constexpr auto kSpinWindow = std::chrono::microseconds(1000);

class SteadyWaitClock final : public PlaybackClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    bool WaitUntil(TimePoint deadline, std::stop_token stop) override {
        TightenTimerSlack();
        if (Now() < deadline - kSpinWindow) {
            std::mutex mutex;
            std::condition_variable_any wake;
            std::unique_lock lock(mutex);
            wake.wait_until(lock, stop, deadline - kSpinWindow, [] { return false; });
        }
        while (!stop.stop_requested() && Now() < deadline) std::this_thread::yield();
        return !stop.stop_requested();
    }

private:
    // The kernel may defer a thread's timer by its slack (50 us by default)
    // to batch wake-ups; the thread that paces input wants its wake-ups on
    // time. The setting is the calling thread's own.
    static void TightenTimerSlack() {
        thread_local const bool tightened = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
        (void)tightened;
    }
};

}  // namespace

PlaybackClock& SteadyPlaybackClock() {
    static SteadyWaitClock clock;
    return clock;
}

}  // namespace kelm
