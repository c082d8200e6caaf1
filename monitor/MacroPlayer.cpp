#include "monitor/MacroPlayer.h"

#include <algorithm>

#include "keyboard/KeyCodes.h"
#include "monitor/KeyCodeInput.h"
#include "platform/Debug.h"

namespace kelm {

bool MacroPlayer::StartOrAbortMacro(const MacroKeyInfo& entry) {
    if (entry.FunctionCode != kFnMacro || entry.EventCount == 0) return false;
    const std::lock_guard lock(mutex_);
    if (busy_) {
        abort_.request_stop();
        return false;
    }
    pending_.count = std::min<int>(entry.EventCount, kMaxEvents);
    pending_.passes = entry.MacroOption > 0 ? entry.MacroOption : 1;
    std::copy(std::begin(entry.Events), std::end(entry.Events), pending_.events.begin());
    abort_ = std::stop_source();
    currentAction_ = 0;
    busy_ = true;
    return true;
}

void MacroPlayer::AbortPlayback() {
    const std::lock_guard lock(mutex_);
    if (busy_) abort_.request_stop();
}

void MacroPlayer::WaitForPlaybackEnd() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return !playing_; });
}

void MacroPlayer::PlayPending() {
    Playback playback;
    std::stop_token stop;
    {
        const std::lock_guard lock(mutex_);
        if (!busy_ || playing_) return;
        playing_ = true;
        playback = pending_;
        stop = abort_.get_token();
    }
    Play(playback, stop);
    const std::lock_guard lock(mutex_);
    playing_ = false;
    busy_ = false;
    ended_.notify_all();
}

void MacroPlayer::Play(const Playback& playback, std::stop_token stop) {
    const int start = currentAction_.load();
    const int end = playback.count;
    if (end - start <= 0) return;
    std::vector<std::uint8_t> held;
    TimePoint due = clock_.Now();
    int index = start;
    for (int pass = 0; pass < playback.passes; ++pass) {
        if (pass > 0 && stop.stop_requested()) {
            index = end;
            break;
        }
        for (index = start; index < end && !stop.stop_requested(); ++index) {
            currentAction_ = index;
            const MacroEvent& event = playback.events[static_cast<std::size_t>(index)];
            if (event.Action == kActionPress) {
                held.push_back(event.KeyCode);
            } else if (event.Action == kActionRelease) {
                const auto last = std::find(held.rbegin(), held.rend(), event.KeyCode);
                if (last != held.rend()) held.erase(std::next(last).base());
            }
            due = PlayEvent(event, due, stop);
        }
        if (index < end) break;
    }
    currentAction_ = index;
    DebugOutput("g_iCurAction= %d,start=%d,end=%d\n", index, start, end);
    ReleaseHeld(held, index, start);
}

MacroPlayer::TimePoint MacroPlayer::PlayEvent(const MacroEvent& event, TimePoint due, std::stop_token stop) {
    const std::chrono::milliseconds delay{event.Delay == 0 ? 1 : event.Delay};
    const TimePoint next = due + delay;
    const bool known = event.Action == kActionPress || event.Action == kActionRelease;
    if (!IsMouseButtonCode(event.KeyCode) && !known) return due;
    if (known) InjectKeyCode(injector_, event.KeyCode, event.Action == kActionPress);
    // A key held longer than the system's repeat delay repeats, as a held
    // key does.
    if (!IsMouseButtonCode(event.KeyCode) && event.Action == kActionPress && delay > kHoldBeforeRepeat) {
        for (TimePoint repeat = due + kHoldBeforeRepeat; repeat < next; repeat += kRepeatPeriod) {
            if (!clock_.WaitUntil(repeat, stop)) return next;
            InjectKeyCode(injector_, event.KeyCode, false);
            InjectKeyCode(injector_, event.KeyCode, true);
        }
    }
    clock_.WaitUntil(next, stop);
    return next;
}

void MacroPlayer::ReleaseHeld(std::vector<std::uint8_t>& held, int index, int start) {
    TimePoint due = clock_.Now();
    while (!held.empty()) {
        const std::uint8_t code = held.back();
        held.pop_back();
        DebugOutput("g_iCurAction= %d,Map=%x\n", index, code);
        if (index > start) currentAction_ = --index;
        InjectKeyCode(injector_, code, false);
        if (held.empty()) break;
        due += kReleaseSpacing;
        clock_.WaitUntil(due, {});
    }
}

}  // namespace kelm
