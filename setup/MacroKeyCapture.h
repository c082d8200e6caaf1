// The keys of a macro recording. Where an X display can be reached, the
// whole keyboard is grabbed, so every key the user types comes here and
// reaches no other program, as the keyboard hook does elsewhere. Keys that
// reach the recording window itself (no X display, another program holds
// the keyboard, a Wayland window) are taken from its key events instead and
// kept from the window: Escape and Enter are keys of the macro then, not
// Cancel or OK.
//
// While a capture exists the keyboard is held; destroying it lets go.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Clock.h"
#include "platform/KeyboardGrab.h"
#include "platform/MessageLoop.h"

class QKeyEvent;
class QWidget;

namespace kelm {

// The Linux input code (KEY_*) of a Qt key event: the physical key from the
// native scan code where the platform gives X keycodes (xcb, Wayland),
// else from the key and its keypad flag as a US layout places them.
std::optional<std::uint16_t> InputCodeOfKeyEvent(const QKeyEvent& event);

class MacroKeyCapture final : public QObject {
public:
    struct Key {
        std::uint16_t inputCode = 0;
        bool released = false;
        // Milliseconds: the X server's time for grabbed keys, the clock's
        // for the window's own; only differences count.
        std::uint32_t timeMs = 0;
    };
    struct Handlers {
        // May destroy the capture.
        std::function<void(const Key&)> onKey;
        // The display went away with the grab; no grabbed key follows.
        std::function<void()> onLost;
    };

    // Starts capturing at once, on the loop's thread. The window's keys are
    // timed by clock.
    MacroKeyCapture(QWidget& window, MessageLoop& loop, Handlers handlers, const Clock& clock = SteadyClock());
    ~MacroKeyCapture() override;
    MacroKeyCapture(const MacroKeyCapture&) = delete;
    MacroKeyCapture& operator=(const MacroKeyCapture&) = delete;

    // Whether the whole keyboard is held, rather than the window's keys only.
    bool WholeKeyboard() const { return grab_ != nullptr && !grab_->Lost(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    Handlers handlers_;
    const Clock& clock_;
    std::unique_ptr<KeyboardGrab> grab_;
};

}  // namespace kelm
