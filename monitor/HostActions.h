// The host-side actions that the monitor's dispatch decides on but that are
// carried out elsewhere: macro playback and shortcuts (synthetic input),
// the countdown and feedback sounds, media players and quick launch, the
// display program's texts and the foreground-program rule.
//
// CMonitorWnd makes every decision up to the call (event ranges, key entry
// and function code, press or release, the sound-timer rules) and then
// calls the interface given; an action whose interface is not given is
// skipped, as an action whose program is missing is.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/SettingsRecord.h"

namespace kelm {

class IMacroPlayer {
public:
    virtual ~IMacroPlayer() = default;
    // Window thread, on the press of a key whose entry plays a macro: true
    // when a playback was prepared, which the monitor then starts by posting
    // MSG_PLAY_MACRO to MacroPlaybackThread; false when the press only
    // aborted the running playback or there is nothing to play.
    virtual bool StartOrAbortMacro(const MacroKeyInfo& entry) = 0;
    // MacroPlaybackThread, on MSG_PLAY_MACRO.
    virtual void PlayPending() = 0;
};

// A shortcut word: main key's code in the low byte, modifier flags above.
class IShortcutInput {
public:
    virtual ~IShortcutInput() = default;
    virtual void PressShortcut(std::uint16_t word) = 0;
    virtual void ReleaseShortcut(std::uint16_t word) = 0;
    virtual void TapShortcutKey(std::uint16_t word) = 0;
};

class ICountdown {
public:
    virtual ~ICountdown() = default;
    // A key with code 0xBC (start) or 0xBD (stop); phase as in the event.
    // soundVolume: the current profile's SoundVolume as stored.
    virtual void CountdownKey(int keyNumber, int phase, const MacroKeyInfo& entry, int soundVolume) = 0;
    // TIMER_COUNTDOWN fired.
    virtual void Tick(int soundVolume) = 0;
    // The last five seconds of a countdown: no one-shot sound is started.
    virtual bool IsFinalPhase() const = 0;
};

class IFeedbackSounds {
public:
    virtual ~IFeedbackSounds() = default;
    // soundVolume: the current profile's SoundVolume as stored.
    virtual void PlayFeedbackSound(int number, int soundVolume) = 0;
};

class IMediaControl {
public:
    virtual ~IMediaControl() = default;
    // code 0x20..0x27, releaseFlag the event's high byte, mediaOption the
    // current profile's player choice.
    virtual void MediaFunction(std::uint8_t code, std::uint8_t releaseFlag, int mediaOption) = 0;
    // An entry whose code is 0xB9.
    virtual void QuickLaunch(const MacroKeyInfo& entry) = 0;
};

class IDisplayText {
public:
    virtual ~IDisplayText() = default;
    // A display text taken from a well-formed WM_COPYDATA.
    virtual void ShowDisplayText(std::string_view text, bool keyboardConnected) = 0;
};

class IForegroundRule {
public:
    virtual ~IForegroundRule() = default;
    // TIMER_FOREGROUND fired.
    virtual void FollowForegroundProgram() = 0;
};

struct HostActions {
    IMacroPlayer* macro = nullptr;
    IShortcutInput* shortcut = nullptr;
    ICountdown* countdown = nullptr;
    IFeedbackSounds* sounds = nullptr;
    IMediaControl* media = nullptr;
    IDisplayText* display = nullptr;
    IForegroundRule* foreground = nullptr;
};

}  // namespace kelm
