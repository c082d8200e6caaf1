#include "monitor/Countdown.h"

#include "monitor/MonitorIds.h"

namespace kelm {

namespace {

constexpr std::uint8_t kFnStopTimer = 0xBD;
constexpr int kFirstKey = 1;
constexpr int kLastKey = 58;
constexpr int kSoundGo = 0;
constexpr int kSoundTenSeconds = 10;
constexpr int kSoundTimerStopped = 18;
constexpr int kSoundTimerActivated = 19;
constexpr std::int64_t kFinalPhaseSeconds = 5;

// The seconds that are spoken; each has the sound of its own number.
bool Spoken(std::int64_t seconds) { return seconds == 10 || (seconds >= 1 && seconds <= 5); }

}  // namespace

void Countdown::CountdownKey(int keyNumber, int phase, const MacroKeyInfo& entry, int soundVolume) {
    if (keyNumber < kFirstKey || keyNumber > kLastKey || phase == 1) return;
    if (entry.FunctionCode == kFnTimer)
        Start(entry.TimerSeconds, soundVolume);
    else if (entry.FunctionCode == kFnStopTimer)
        Stop(soundVolume);
}

// A restart leaves the final phase of the countdown it replaces: the new
// one has all its seconds ahead of it, and keeping the flag would silence
// the profile and recording sounds until its own last seconds.
void Countdown::Start(std::int32_t seconds, int soundVolume) {
    if (active_) timers_.KillTimer(TIMER_COUNTDOWN);
    active_ = true;
    finalPhase_ = false;
    remaining_ = seconds;
    sounds_.PlayFeedbackSound(kSoundTimerActivated, soundVolume);
    timers_.SetTimer(TIMER_COUNTDOWN, kTick);
    if (remaining_ == 10) sounds_.PlayFeedbackSound(kSoundTenSeconds, soundVolume);
}

void Countdown::Stop(int soundVolume) {
    if (!active_) return;
    End();
    sounds_.PlayFeedbackSound(kSoundTimerStopped, soundVolume);
}

void Countdown::End() {
    timers_.KillTimer(TIMER_COUNTDOWN);
    active_ = false;
    finalPhase_ = false;
}

void Countdown::Tick(int soundVolume) {
    // A tick still queued when the countdown was stopped.
    if (!active_) return;
    --remaining_;
    if (remaining_ <= kFinalPhaseSeconds) finalPhase_ = true;
    if (remaining_ <= 0) {
        End();
        sounds_.PlayFeedbackSound(kSoundGo, soundVolume);
    } else if (Spoken(remaining_)) {
        sounds_.PlayFeedbackSound(static_cast<int>(remaining_), soundVolume);
    }
}

}  // namespace kelm
