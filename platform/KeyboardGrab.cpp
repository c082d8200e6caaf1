#include "platform/KeyboardGrab.h"

#include <algorithm>
#include <mutex>

#include "platform/Debug.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace kelm {

namespace {

// Xlib ends the process when a connection breaks: first its global
// handler, then the display's exit handler. The grab's displays are let
// through both; every other display of the program keeps what it had.
std::mutex gGrabDisplaysMutex;
std::vector<Display*> gGrabDisplays;
XIOErrorHandler gOtherIoErrorHandler = nullptr;

int OnIoError(Display* display) {
    {
        const std::lock_guard lock(gGrabDisplaysMutex);
        if (std::find(gGrabDisplays.begin(), gGrabDisplays.end(), display) != gGrabDisplays.end()) return 0;
    }
    return gOtherIoErrorHandler != nullptr ? gOtherIoErrorHandler(display) : 0;
}

void AddGrabDisplay(Display* display) {
    static std::once_flag installed;
    std::call_once(installed, [] { gOtherIoErrorHandler = XSetIOErrorHandler(&OnIoError); });
    const std::lock_guard lock(gGrabDisplaysMutex);
    gGrabDisplays.push_back(display);
}

void RemoveGrabDisplay(Display* display) {
    const std::lock_guard lock(gGrabDisplaysMutex);
    std::erase(gGrabDisplays, display);
}

// Xlib rather than xcb: detectable auto-repeat is one call of libX11, which
// the input library links already, whereas xcb's XKB binding would be one
// more development package. Xlib's hazard, ending the process when a
// connection breaks, is turned off for the grab's displays.
class XlibGrabConnection final : public KeyboardGrabConnection {
public:
    explicit XlibGrabConnection(Display* display) : display_(display) {
        AddGrabDisplay(display_);
        XSetIOErrorExitHandler(display_, &XlibGrabConnection::OnConnectionLost, this);
    }
    ~XlibGrabConnection() override {
        // Closing may itself find the connection broken.
        XCloseDisplay(display_);
        RemoveGrabDisplay(display_);
    }
    XlibGrabConnection(const XlibGrabConnection&) = delete;
    XlibGrabConnection& operator=(const XlibGrabConnection&) = delete;

    bool GrabKeyboard() override {
        if (lost_) return false;
        // Asynchronous both ways: a frozen keyboard or pointer would stall
        // the whole session if the program stopped reading.
        return XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
                   GrabSuccess &&
               !lost_;
    }
    void UngrabKeyboard() override {
        if (lost_) return;
        XUngrabKeyboard(display_, CurrentTime);
        XSync(display_, False);
    }
    bool DetectableAutoRepeat() override {
        if (lost_) return false;
        Bool supported = False;
        return XkbSetDetectableAutoRepeat(display_, True, &supported) != False && supported != False && !lost_;
    }
    int Descriptor() const override { return ConnectionNumber(display_); }
    bool ReadKeys(std::vector<GrabbedKey>& keys) override {
        while (!lost_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type != KeyPress && event.type != KeyRelease) continue;
            keys.push_back(
                GrabbedKey{event.xkey.keycode, event.type == KeyRelease, static_cast<std::uint32_t>(event.xkey.time)});
        }
        return !lost_;
    }

private:
    static void OnConnectionLost(Display* /*display*/, void* self) {
        static_cast<XlibGrabConnection*>(self)->lost_ = true;
    }

    Display* display_;
    bool lost_ = false;
};

}  // namespace

std::unique_ptr<KeyboardGrabConnection> ConnectKeyboardGrab(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) return nullptr;
    return std::make_unique<XlibGrabConnection>(display);
}

std::unique_ptr<KeyboardGrab> KeyboardGrab::Open(MessageLoop& loop, Handlers handlers, const char* displayName) {
    return Open(loop, std::move(handlers), ConnectKeyboardGrab(displayName));
}

std::unique_ptr<KeyboardGrab> KeyboardGrab::Open(MessageLoop& loop, Handlers handlers,
                                                 std::unique_ptr<KeyboardGrabConnection> connection) {
    if (!connection) return nullptr;
    // Before the grab, so that a key held at that moment repeats as presses
    // from the first repeat on.
    const bool detectable = connection->DetectableAutoRepeat();
    if (!connection->GrabKeyboard()) {
        DebugOutput("KeyboardGrab: the keyboard is held by another program\n");
        return nullptr;
    }
    const int descriptor = connection->Descriptor();
    std::unique_ptr<KeyboardGrab> grab(new KeyboardGrab(loop, std::move(handlers), std::move(connection), detectable));
    KeyboardGrab* const self = grab.get();
    grab->watch_ = loop.Watch(descriptor, [self] { self->Read(); });
    if (grab->watch_ == 0) return nullptr;  // the destructor lets go
    // Keys that came while the grab's answer was awaited sit in the
    // connection's queue, where the descriptor no longer tells of them.
    loop.Post([self, alive = std::weak_ptr<const bool>(grab->alive_)] {
        if (!alive.expired()) self->Read();
    });
    DebugOutput("Hhook: %x\r\n", static_cast<unsigned>(descriptor));
    return grab;
}

KeyboardGrab::KeyboardGrab(MessageLoop& loop, Handlers handlers, std::unique_ptr<KeyboardGrabConnection> connection,
                           bool detectable)
    : loop_(loop), handlers_(std::move(handlers)), connection_(std::move(connection)), detectable_(detectable) {}

KeyboardGrab::~KeyboardGrab() {
    if (watch_ != 0) loop_.Unwatch(watch_);
    if (lost_) return;
    connection_->UngrabKeyboard();
    DebugOutput("UnHhook: Success \r\n");
}

std::vector<GrabbedKey> KeyboardGrab::Filter(const std::vector<GrabbedKey>& keys) {
    std::vector<GrabbedKey> kept;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const GrabbedKey& key = keys[i];
        if (key.keycode >= down_.size()) continue;
        if (key.released) {
            // Without detectable auto-repeat each repeat is a release and a
            // press with one timestamp, read together.
            const bool repeat = !detectable_ && i + 1 < keys.size() && !keys[i + 1].released &&
                                keys[i + 1].keycode == key.keycode && keys[i + 1].time == key.time;
            if (repeat) {
                down_.set(key.keycode);
                ++i;
                continue;
            }
            down_.reset(key.keycode);
        } else {
            if (down_.test(key.keycode)) continue;
            down_.set(key.keycode);
        }
        kept.push_back(key);
    }
    return kept;
}

void KeyboardGrab::Read() {
    if (lost_) return;
    std::vector<GrabbedKey> keys;
    const bool connected = connection_->ReadKeys(keys);
    const std::weak_ptr<const bool> alive = alive_;
    // Copies: the handler may destroy this grab, and with it handlers_.
    const auto onKey = handlers_.onKey;
    const auto onLost = handlers_.onLost;
    for (const GrabbedKey& key : Filter(keys)) {
        DebugOutput("vkcode=%x,scancode=%x\n", key.keycode, key.keycode - 8u);
        if (onKey) onKey(key);
        if (alive.expired()) return;
    }
    if (connected) return;
    loop_.Unwatch(watch_);
    watch_ = 0;
    lost_ = true;
    DebugOutput("UnHhook: Fail \r\n");
    if (onLost) onLost();
}

}  // namespace kelm
