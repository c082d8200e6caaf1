// Desktop notifications: short texts that the desktop's notification server
// shows in its own style, where it shows them, and takes away by itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace kelm {

struct Notification {
    std::string appName;
    std::string icon;     // an icon name of the desktop's theme
    std::string summary;  // UTF-8
    std::string body;     // UTF-8 plain text
    std::chrono::milliseconds expireTimeout{0};
};

// Answers always arrive later, on the caller's loop, never inside the call
// that asked.
class INotifier {
public:
    // What the server answered: the notification's id, or why there is none.
    struct Answer {
        std::uint32_t id = 0;
        std::string error;  // "" when the call succeeded
    };
    using OnAnswer = std::function<void(const Answer& answer)>;

    virtual ~INotifier() = default;

    // Asks whether a server is there to show notifications. Ask first: the
    // server's answer decides how the bodies are written.
    virtual void FindServer(OnAnswer onAnswer) = 0;
    // Shows a notification in the place of replacesId (0: a new one), so
    // that one program's notifications do not pile up.
    virtual void Notify(const Notification& notification, std::uint32_t replacesId, OnAnswer onAnswer) = 0;
    // Takes a notification away before its time; nothing is answered.
    virtual void Close(std::uint32_t id) = 0;
};

}  // namespace kelm
