#include "monitor/FeedbackSounds.h"

#include <array>
#include <utility>

#include "platform/Debug.h"

namespace kelm {

namespace {

constexpr std::array<std::pair<int, std::string_view>, 20> kWaveFiles{{
    {0, "go.wav"},
    {1, "1_second.wav"},
    {2, "2_seconds.wav"},
    {3, "3_seconds.wav"},
    {4, "4_seconds.wav"},
    {5, "5_seconds.wav"},
    {10, "10_seconds.wav"},
    {18, "timer_stopped.wav"},
    {19, "timer_activated.wav"},
    {40, "profile_one.wav"},
    {41, "profile_two.wav"},
    {42, "profile_three.wav"},
    {43, "profile_four.wav"},
    {44, "profile_five.wav"},
    {45, "windows_profile.wav"},
    {50, "macro-select-macro-key.wav"},
    {51, "macro-Enter-Macro-and-press.wav"},
    {52, "macro-recorded-successfully.wav"},
    {53, "macro-recording-aborted.wav"},
    {54, "macro-Key-not-available.wav"},
}};

constexpr int kMiddleLevel = 2;

}  // namespace

std::string_view FeedbackSoundFile(int number) {
    for (const auto& [n, file] : kWaveFiles)
        if (n == number) return file;
    return {};
}

int FeedbackSoundLevel(int soundVolume) { return soundVolume >= 0 && soundVolume <= 4 ? soundVolume : kMiddleLevel; }

void FeedbackSounds::PlayFeedbackSound(int number, int soundVolume) {
    const std::string_view file = FeedbackSoundFile(number);
    if (file.empty()) {
        player_.Stop();
        return;
    }
    const std::string wave = "Wave/Volume-" + std::to_string(FeedbackSoundLevel(soundVolume)) + "/" + std::string(file);
    DebugOutput("PlayFeedbackSound: %s\n", wave.c_str());
    player_.Play(programFolder_ + wave);
}

}  // namespace kelm
