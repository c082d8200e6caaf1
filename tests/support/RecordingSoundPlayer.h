// A sound player that plays nothing and writes down what it was asked,
// with the paths relative to a folder the test names.
#pragma once

#include <string>
#include <vector>

#include "platform/sound/SoundPlayer.h"

namespace kelm::test {

class RecordingSoundPlayer final : public ISoundPlayer {
public:
    explicit RecordingSoundPlayer(std::string folder = "") : folder_(std::move(folder)) {}

    bool Play(const std::string& path) override {
        calls.push_back("Play " + (path.rfind(folder_, 0) == 0 ? path.substr(folder_.size()) : path));
        return true;
    }
    void Stop() override { calls.push_back("Stop"); }

    std::vector<std::string> calls;

private:
    std::string folder_;
};

}  // namespace kelm::test
