// The media players through MPRIS on the session bus (sd-bus), started
// through their desktop entries. One connection, opened when first needed
// and again after it broke; use from one thread.
//
// A player is the owner of org.mpris.MediaPlayer2.<name>, or of an
// instance name below it (VLC takes "vlc.instance<pid>" when "vlc" is
// taken); the desktop's default player is the one whose DesktopEntry
// property names the desktop id of the default application for audio.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/MediaPlayers.h"
#include "platform/ProcessLauncher.h"

struct sd_bus;

namespace kelm {

class MprisPlayers final : public IMediaPlayers {
public:
    explicit MprisPlayers(ProcessLauncher& launcher);
    ~MprisPlayers() override;
    MprisPlayers(const MprisPlayers&) = delete;
    MprisPlayers& operator=(const MprisPlayers&) = delete;

    bool Send(MediaPlayer player, PlayerCommand command) override;
    bool Start(MediaPlayer player) override;

private:
    sd_bus* Bus();
    std::vector<std::string> MprisNames(sd_bus* bus);
    std::string BusNameOf(sd_bus* bus, MediaPlayer player);
    std::string DesktopEntryOf(sd_bus* bus, const std::string& name);

    ProcessLauncher& launcher_;
    sd_bus* bus_ = nullptr;
    // DesktopEntry by the unique name that owns a player's name; unique
    // names are never reused on a bus, so an entry never goes stale.
    std::map<std::string, std::string> desktopEntries_;
};

// The desktop ids and the program by which each player is installed.
struct PlayerInstall {
    std::vector<std::string> desktopIds;
    std::string program;
};
PlayerInstall InstallOf(MediaPlayer player);

}  // namespace kelm
