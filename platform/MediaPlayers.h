// The desktop media players the keyboard's media keys drive, reached the way
// each listens on Linux: commands through its MPRIS interface on the session
// bus, a start through its desktop entry or its program in PATH.
#pragma once

namespace kelm {

enum class MediaPlayer {
    DesktopDefault,  // whichever player the desktop opens audio files with
    Rhythmbox,
    Vlc,
    Audacious,
};

// Play/pause .. stop are methods of org.mpris.MediaPlayer2.Player, Raise of
// org.mpris.MediaPlayer2.
enum class PlayerCommand { PlayPause, Play, Pause, Next, Previous, Stop, Raise };

// The name a player takes on the bus (org.mpris.MediaPlayer2.<name>);
// "default" for the desktop's player, which has none of its own.
const char* PlayerName(MediaPlayer player);
// The MPRIS method's name.
const char* CommandName(PlayerCommand command);

class IMediaPlayers {
public:
    virtual ~IMediaPlayers() = default;
    // True when the player runs, offers MPRIS, and the command went to it.
    // The player's answer is not awaited: a player that hangs must not hang
    // the caller. A player that is not running is never started by this.
    virtual bool Send(MediaPlayer player, PlayerCommand command) = 0;
    // Starts the player as the desktop would, else its program from PATH;
    // false when it is not installed or does not start.
    virtual bool Start(MediaPlayer player) = 0;
};

}  // namespace kelm
