// The media players as a test sees them: which of them run, and every
// command and start that reached one.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/MediaPlayers.h"

namespace kelm::test {

class RecordingMediaPlayers final : public IMediaPlayers {
public:
    bool Send(MediaPlayer player, PlayerCommand command) override {
        if (running.count(player) == 0) return false;
        calls.push_back(std::string("Send ") + PlayerName(player) + " " + CommandName(command));
        return true;
    }
    bool Start(MediaPlayer player) override {
        calls.push_back(std::string("Start ") + PlayerName(player));
        return true;
    }

    std::set<MediaPlayer> running;
    std::vector<std::string> calls;
};

}  // namespace kelm::test
