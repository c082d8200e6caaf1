// Wave files played the way the Windows programs play them with
// PlaySound(file, SND_ASYNC): the call returns at once, and a new sound
// ends the one still playing, so quick events never pile their sounds up.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

struct ca_context;

namespace kelm {

class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    // Stops the sound playing, then starts path. False when path cannot be
    // played (missing, unreadable, no sound output); nothing plays then.
    virtual bool Play(const std::string& path) = 0;
    virtual void Stop() = 0;
};

// libcanberra, the desktop's event-sound library: it reads the file and
// feeds the session's sound server or ALSA on a thread of its own.
class CanberraSoundPlayer final : public ISoundPlayer {
public:
    // applicationName names the sounds' source to the sound server.
    explicit CanberraSoundPlayer(std::string applicationName);
    // Waits until the sound playing has stopped.
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
    CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;

    bool Play(const std::string& path) override;
    void Stop() override;

private:
    // The context is made at the first sound, so a program that plays none
    // never opens the sound output; one that could not be made is tried
    // again with the next sound.
    bool OpenContext();
    void CancelCurrent();

    std::mutex mutex_;
    std::string applicationName_;
    ca_context* context_ = nullptr;
    std::uint32_t current_ = 0;  // 0: none
    std::uint32_t lastId_ = 0;
};

}  // namespace kelm
