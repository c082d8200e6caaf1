// Host playback of a key's macro: StartOrAbortMacro on the window thread
// prepares it (or aborts the one running), PlayPending on
// MacroPlaybackThread types it.
//
// Each event is due at the sum of the delays before it, counted from the
// start on the monotonic clock, so the time injection takes never adds up
// over a long macro. Every wait ends at once on an abort. Whatever the
// macro still holds when it ends, aborted or not, is released, most recent
// first, 50 ms apart, so no key or button stays down.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <vector>

#include "monitor/HostActions.h"
#include "monitor/MacroPlaybackThread.h"
#include "monitor/PlaybackClock.h"
#include "platform/InputInjector.h"

namespace kelm {

class MacroPlayer final : public IMacroPlayer, public IPlaybackAbort {
public:
    static constexpr std::chrono::milliseconds kHoldBeforeRepeat{500};
    static constexpr std::chrono::milliseconds kRepeatPeriod{33};
    static constexpr std::chrono::milliseconds kReleaseSpacing{50};

    MacroPlayer(IInputInjector& injector, PlaybackClock& clock) : injector_(injector), clock_(clock) {}

    bool StartOrAbortMacro(const MacroKeyInfo& entry) override;
    void PlayPending() override;
    void AbortPlayback() override;
    void WaitForPlaybackEnd() override;

private:
    struct Playback {
        std::array<MacroEvent, kMaxEvents> events{};
        int count = 0;
        int passes = 1;
    };
    using TimePoint = PlaybackClock::TimePoint;

    void Play(const Playback& playback, std::stop_token stop);
    // Injects event, waits for what follows it; the next event's due time.
    TimePoint PlayEvent(const MacroEvent& event, TimePoint due, std::stop_token stop);
    void ReleaseHeld(std::vector<std::uint8_t>& held, int index, int start);

    IInputInjector& injector_;
    PlaybackClock& clock_;
    std::mutex mutex_;
    // From StartOrAbortMacro's preparation to the end of the playback: a
    // press in between aborts, also before the thread has begun.
    bool busy_ = false;
    bool playing_ = false;
    std::condition_variable ended_;  // playing_ went false
    Playback pending_;
    std::stop_source abort_;
    // The index of the event being played (g_iCurAction), for the trace.
    std::atomic<int> currentAction_{0};
};

}  // namespace kelm
