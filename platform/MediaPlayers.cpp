#include "platform/MediaPlayers.h"

#include <cstddef>

namespace kelm {

namespace {

// In the order of the enumerations.
constexpr const char* kPlayerNames[] = {"default", "rhythmbox", "vlc", "audacious"};
constexpr const char* kCommandNames[] = {"PlayPause", "Play", "Pause", "Next", "Previous", "Stop", "Raise"};

template <typename Enum, std::size_t N>
const char* NameOf(Enum value, const char* const (&names)[N]) {
    const auto index = static_cast<std::size_t>(value);
    return index < N ? names[index] : "?";
}

}  // namespace

const char* PlayerName(MediaPlayer player) { return NameOf(player, kPlayerNames); }

const char* CommandName(PlayerCommand command) { return NameOf(command, kCommandNames); }

}  // namespace kelm
