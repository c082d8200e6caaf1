// Time as synthetic input is paced: the monotonic clock, and waits that end
// as soon as a stop is requested, so an abort never waits out a delay of a
// minute. Tests pass a virtual clock and never sleep.
#pragma once

#include <stop_token>

#include "platform/Clock.h"

namespace kelm {

class PlaybackClock : public Clock {
public:
    // Returns at deadline, or at once when it has passed; false when stop was
    // requested first.
    virtual bool WaitUntil(TimePoint deadline, std::stop_token stop) = 0;
};

PlaybackClock& SteadyPlaybackClock();

}  // namespace kelm
