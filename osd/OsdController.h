// KelmOSD's window procedure, apart from Qt: the monitor posts 1324 when it
// has stored a display text in config.ini ([OSDData] Message), 1326 with
// the display position, and WM_CLOSE when it shuts down. A text stays up
// for kShowTime; a newer one replaces it and starts that time again.
//
// The monitor tells the display nothing of profile changes, yet a gamer
// who switches profiles wants to see which one is on. KelmOSD therefore
// looks at the monitor's shared block every kProfileLookInterval and shows
// the profile when the slot changes. The first slot it sees after a start
// (or after the monitor was away) is where things stand, not a change.
//
// With notifications on, the texts go to the desktop's notification server
// instead, each in the place of the one before, for the same time. The
// window takes over for good as soon as no server is found, a call fails or
// a server leaves a call unanswered for kNotifyAnswerTime: a display that
// waits on a server the user may never see would be no display at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/MessageLoop.h"
#include "platform/Notifier.h"
#include "platform/WindowMessage.h"

namespace kelm {

// What KelmOSD shows, as the controller drives it.
class IOsdView {
public:
    virtual ~IOsdView() = default;
    // text: the 8-bit text as stored.
    virtual void ShowText(const std::string& text) = 0;
    virtual void HideText() = 0;
    virtual void MoveTo(int x, int y) = 0;
};

struct OsdPosition {
    int x = 0;
    int y = 0;
    bool operator==(const OsdPosition&) const = default;
};

// 1326's lParam: the first coordinate in the high word, the second in the
// low word, each 16 bits with its sign (a display left of or above the
// primary one lies at negative coordinates).
OsdPosition OsdPositionFromParam(std::int64_t lParam);

struct ProfileGlance {
    int slot = -1;     // 0..4
    std::string name;  // the profile's name, 8-bit text
};

// "Profile 2: Race"; the number alone when the profile has no name.
std::string ProfileText(const ProfileGlance& profile);

// The 8-bit text as it is shown, in UTF-8: unchanged where it is valid
// UTF-8, else the Windows programs' Latin letters.
std::string DisplayTextUtf8(const std::string& text);

// How a text is sent as a notification: from KelmOSD, with the body
// left empty for the text.
Notification OsdNotification();

class OsdController {
public:
    static constexpr unsigned TIMER_HIDE_TEXT = 1;
    static constexpr unsigned TIMER_LOOK_AT_PROFILE = 2;
    static constexpr unsigned TIMER_NOTIFY_ANSWER = 3;
    static constexpr std::chrono::milliseconds kShowTime{4000};
    static constexpr std::chrono::milliseconds kProfileLookInterval{250};
    static constexpr std::chrono::milliseconds kNotifyAnswerTime{3000};

    struct Sources {
        // The stored display text, "" when there is none.
        std::function<std::string()> readText;
        // The monitor's current profile; nothing while no monitor runs.
        std::function<std::optional<ProfileGlance>()> readProfile;
    };

    OsdController(IOsdView& view, TimerService& timers, Sources sources, std::function<void()> quit)
        : view_(view), timers_(timers), sources_(std::move(sources)), quit_(std::move(quit)) {}

    // Before Start: the texts go to notifier while it works; fallBack is
    // told once why they go to the window after all.
    void UseNotifications(INotifier& notifier, std::function<void(const std::string& why)> fallBack);
    // Starts looking at the profile (and for a notification server).
    void Start();
    std::int64_t WindowProc(const WindowMessage& message);
    void OnTimer(unsigned id);

private:
    enum class Output { Window, FindingServer, Notifications };

    void ShowStoredText();
    // text "" takes away what is shown.
    void Present(const std::string& text);
    void Show(const std::string& text);
    void Hide();
    void LookAtProfile();
    void OnServerFound(const INotifier::Answer& answer);
    void SendNotification(const std::string& text);
    void OnNotified(const INotifier::Answer& answer);
    // The window takes over, and shows the newest text not shown yet.
    void FallBack(const std::string& why);

    IOsdView& view_;
    TimerService& timers_;
    Sources sources_;
    std::function<void()> quit_;
    bool closed_ = false;
    std::optional<int> lastSlot_;

    INotifier* notifier_ = nullptr;
    std::function<void(const std::string&)> fallBack_;
    Output output_ = Output::Window;
    bool awaitingAnswer_ = false;      // a call to the notifier is out
    std::optional<std::string> held_;  // the newest text while one is out
    std::string sent_;                 // the text of the call that is out
    std::uint32_t shownId_ = 0;        // our notification the server shows
};

}  // namespace kelm
