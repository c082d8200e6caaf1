// The real playback clock: a wait never ends before its deadline (the last
// stretch is spent yielding, which must not cut it short), and a stop ends
// a long wait in either of its stretches.
#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

#include "monitor/PlaybackClock.h"

namespace kelm::test {
namespace {

using namespace std::chrono_literals;

TEST(PlaybackClockTest, AWaitEndsAtItsDeadlineNeverBefore) {
    PlaybackClock& clock = SteadyPlaybackClock();
    for (const auto ahead : {0us, 200us, 1500us, 20000us}) {
        const auto deadline = clock.Now() + ahead;
        EXPECT_TRUE(clock.WaitUntil(deadline, std::stop_token{}));
        EXPECT_GE(clock.Now(), deadline) << ahead.count() << " us ahead";
    }
    // A deadline already past returns at once.
    EXPECT_TRUE(clock.WaitUntil(clock.Now() - 1s, std::stop_token{}));
}

TEST(PlaybackClockTest, AStopEndsTheWaitWhileSleepingAndWhileYielding) {
    PlaybackClock& clock = SteadyPlaybackClock();
    for (const auto stopAfter : {5ms, 0ms}) {
        std::stop_source stop;
        std::jthread stopper([&] {
            std::this_thread::sleep_for(stopAfter);
            stop.request_stop();
        });
        if (stopAfter == 0ms) stopper.join();
        // Sleeping: the deadline is a minute away. Yielding: the stop came
        // before the wait, whose deadline lies within the last stretch.
        const auto deadline = stopAfter > 0ms ? clock.Now() + 60s : clock.Now() + 900us;
        EXPECT_FALSE(clock.WaitUntil(deadline, stop.get_token()));
        EXPECT_LT(clock.Now(), deadline) << "the wait ran to its deadline";
    }
}

}  // namespace
}  // namespace kelm::test
