// The spoken feedback: a sound number names a wave file, the current
// profile's SoundVolume the folder of its loudness, Wave/Volume-0 (quiet)
// to Wave/Volume-4 (loud) below the program folder.
#pragma once

#include <string>
#include <string_view>

#include "monitor/HostActions.h"
#include "platform/sound/SoundPlayer.h"

namespace kelm {

// The wave file of a sound number; "" for a number that has none.
std::string_view FeedbackSoundFile(int number);
// The folder level of a stored SoundVolume: 0..4 as it is, anything else 2.
int FeedbackSoundLevel(int soundVolume);

class FeedbackSounds final : public IFeedbackSounds {
public:
    // programFolder with its trailing '/'.
    FeedbackSounds(ISoundPlayer& player, std::string programFolder)
        : player_(player), programFolder_(std::move(programFolder)) {}

    // Whatever plays stops, also for a number without a file; a missing
    // file then plays nothing.
    void PlayFeedbackSound(int number, int soundVolume) override;

private:
    ISoundPlayer& player_;
    std::string programFolder_;
};

}  // namespace kelm
