// The whole keyboard taken for the macro recorder, as the system-wide
// keyboard hook that swallows keys does elsewhere: while a KeyboardGrab
// exists, every key of the X display goes to it and to no other program,
// and each press and release reaches its handler on the thread of a
// message loop, as message 1034 reaches the recorder's window.
//
// Where no X11 display is reachable (a Wayland session without Xwayland, a
// console), Open returns nullptr and the caller records the keys of its own
// window instead; those reach only that window, and other programs keep
// theirs.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/MessageLoop.h"

namespace kelm {

struct GrabbedKey {
    unsigned keycode = 0;  // X keycode: the Linux input code + 8
    bool released = false;
    std::uint32_t time = 0;  // the X server's timestamp in ms; wraps after 49 days
    bool operator==(const GrabbedKey&) const = default;
};

// The X side of a grab, apart so that a server without XKB and a lost
// connection can be staged.
class KeyboardGrabConnection {
public:
    virtual ~KeyboardGrabConnection() = default;
    // The whole keyboard on the root window; false when the server refuses,
    // as it does while another client holds the keyboard.
    virtual bool GrabKeyboard() = 0;
    // Returns once the server has let go, so that the next key goes to the
    // focused window again.
    virtual void UngrabKeyboard() = 0;
    // Asks the server to send a held key as repeated presses without the
    // releases between them; false without XKB.
    virtual bool DetectableAutoRepeat() = 0;
    virtual int Descriptor() const = 0;
    // Appends the keys that have come and those readable now, without
    // blocking; false once the connection is lost.
    virtual bool ReadKeys(std::vector<GrabbedKey>& keys) = 0;
};

// nullptr when the display (nullptr: $DISPLAY) cannot be opened. A lost
// connection leaves the program running, and the server ends a grab when
// the connection that holds it closes.
std::unique_ptr<KeyboardGrabConnection> ConnectKeyboardGrab(const char* displayName);

class KeyboardGrab {
public:
    struct Handlers {
        // Each press and release, auto-repeat left out. The handler may
        // destroy the grab; keys read with this one are then dropped.
        std::function<void(const GrabbedKey&)> onKey;
        // The display went away and the grab with it; no key follows.
        std::function<void()> onLost;
    };

    // On the loop's thread, as is the destruction. nullptr when there is no
    // display or another program holds the keyboard.
    static std::unique_ptr<KeyboardGrab> Open(MessageLoop& loop, Handlers handlers, const char* displayName = nullptr);
    static std::unique_ptr<KeyboardGrab> Open(MessageLoop& loop, Handlers handlers,
                                              std::unique_ptr<KeyboardGrabConnection> connection);
    // Lets go of the keyboard. Should the program end without it, the
    // server drops the grab when the program's connection closes.
    ~KeyboardGrab();
    KeyboardGrab(const KeyboardGrab&) = delete;
    KeyboardGrab& operator=(const KeyboardGrab&) = delete;

    bool Lost() const { return lost_; }
    // False where the server sends a release and a press for each repeat,
    // which are then told apart by their equal timestamps.
    bool DetectsRepeat() const { return detectable_; }

private:
    KeyboardGrab(MessageLoop& loop, Handlers handlers, std::unique_ptr<KeyboardGrabConnection> connection,
                 bool detectable);
    void Read();
    // Drops repeats; what is left goes to onKey.
    std::vector<GrabbedKey> Filter(const std::vector<GrabbedKey>& keys);

    MessageLoop& loop_;
    Handlers handlers_;
    std::unique_ptr<KeyboardGrabConnection> connection_;
    bool detectable_;
    bool lost_ = false;
    MessageLoop::WatchId watch_ = 0;
    std::bitset<256> down_;
    // Tells a callback or a posted task whether the grab still exists.
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace kelm
