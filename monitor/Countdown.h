// The spoken countdown a timer key starts: "timer activated", then every
// second on the window's TIMER_COUNTDOWN, "10 seconds", "5 seconds" ..
// "1 second" and "go". One countdown for the whole monitor; a timer key
// pressed while it runs starts it again with that key's length.
//
//   idle --0xBC press--> active --0xBC press--> active (restarted)
//   active --0xBD press, or a tick reaching 0--> idle
//
// The final phase (5 seconds or fewer left) keeps the one-shot sounds from
// talking over the last seconds.
#pragma once

#include <chrono>
#include <cstdint>

#include "monitor/HostActions.h"
#include "platform/MessageLoop.h"

namespace kelm {

class Countdown final : public ICountdown {
public:
    static constexpr std::chrono::milliseconds kTick{1000};

    Countdown(TimerService& timers, IFeedbackSounds& sounds) : timers_(timers), sounds_(sounds) {}

    void CountdownKey(int keyNumber, int phase, const MacroKeyInfo& entry, int soundVolume) override;
    void Tick(int soundVolume) override;
    bool IsFinalPhase() const override { return finalPhase_; }

    bool Active() const { return active_; }
    std::int64_t Remaining() const { return remaining_; }

private:
    void Start(std::int32_t seconds, int soundVolume);
    void Stop(int soundVolume);
    void End();

    TimerService& timers_;
    IFeedbackSounds& sounds_;
    // Wider than the key entry's TimerSeconds, so that counting down from
    // its most negative value cannot overflow.
    std::int64_t remaining_ = 0;
    bool active_ = false;
    bool finalPhase_ = false;
};

}  // namespace kelm
