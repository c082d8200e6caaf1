#include <mutex>

#include "platform/InputInjector.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace kelm {

namespace {

// X keycodes are input codes moved up by 8 (the evdev rules every X
// server of a Linux session uses).
constexpr unsigned kKeycodeOffset = 8;
constexpr unsigned kLastKeycode = 255;

unsigned XButton(MouseButton button) {
    switch (button) {
        case MouseButton::Left:
            return 1;
        case MouseButton::Middle:
            return 2;
        case MouseButton::Right:
            return 3;
        case MouseButton::Side:
            return 8;
        case MouseButton::Extra:
            return 9;
    }
    return 0;
}

class XTestInjector final : public IInputInjector {
public:
    explicit XTestInjector(Display* display) : display_(display) {}
    ~XTestInjector() override { XCloseDisplay(display_); }
    XTestInjector(const XTestInjector&) = delete;
    XTestInjector& operator=(const XTestInjector&) = delete;

    void KeyDown(std::uint16_t inputCode) override { Key(inputCode, True); }
    void KeyUp(std::uint16_t inputCode) override { Key(inputCode, False); }
    void ButtonDown(MouseButton button) override { Button(button, True); }
    void ButtonUp(MouseButton button) override { Button(button, False); }

private:
    void Key(std::uint16_t inputCode, int down) {
        const unsigned keycode = inputCode + kKeycodeOffset;
        if (keycode > kLastKeycode) return;
        // One connection for the threads that inject: Xlib is not made
        // thread-safe for them.
        const std::lock_guard lock(mutex_);
        XTestFakeKeyEvent(display_, keycode, down, CurrentTime);
        XFlush(display_);
    }
    void Button(MouseButton button, int down) {
        const std::lock_guard lock(mutex_);
        XTestFakeButtonEvent(display_, XButton(button), down, CurrentTime);
        XFlush(display_);
    }

    Display* display_;
    std::mutex mutex_;
};

}  // namespace

std::unique_ptr<IInputInjector> OpenXTestInjector(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) return nullptr;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<XTestInjector>(display);
}

}  // namespace kelm
