// The media keys and the quick-launch keys: which player a profile's
// MediaOption names, which command each media code sends it, and what a
// quick-launch entry opens.
//
//   MediaOption  player                      play/pause sends
//   0            the desktop's audio player  PlayPause
//   1            Rhythmbox                   PlayPause
//   2            VLC                         PlayPause
//   3            Audacious                   Play and Pause alternately
//   other        none: every code does nothing
//
// Audacious stands where the Winamp-style player stood, and keeps its
// toggle: one flag for the whole monitor, clear at start, turned only when
// the command reached a running player.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "monitor/HostActions.h"
#include "platform/MediaPlayers.h"
#include "platform/ProcessLauncher.h"

namespace kelm {

inline constexpr std::uint8_t kMediaOpenPlayer = 0x20;
inline constexpr std::uint8_t kMediaNext = 0x21;
inline constexpr std::uint8_t kMediaPrevious = 0x22;
inline constexpr std::uint8_t kMediaPlayPause = 0x23;
inline constexpr std::uint8_t kMediaStop = 0x24;

std::optional<MediaPlayer> PlayerOfOption(int mediaOption);

class HostMediaControl final : public IMediaControl {
public:
    // workingFolder: what a relative quick-launch path is relative to.
    HostMediaControl(IMediaPlayers& players, ProcessLauncher& launcher, std::string workingFolder)
        : players_(players), launcher_(launcher), workingFolder_(std::move(workingFolder)) {}

    void MediaFunction(std::uint8_t code, std::uint8_t releaseFlag, int mediaOption) override;
    void QuickLaunch(const MacroKeyInfo& entry) override;

private:
    void OpenPlayer(MediaPlayer player);
    void PlayPause(MediaPlayer player);

    IMediaPlayers& players_;
    ProcessLauncher& launcher_;
    std::string workingFolder_;
    bool playSent_ = false;
};

}  // namespace kelm
