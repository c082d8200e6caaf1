// Synthetic keyboard and mouse input into the user's session. Keys go by
// physical position, a Linux input code (KEY_*), so the session's layout
// decides the character; an X keycode is the input code + 8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelm {

// Values are the input codes (BTN_*) of the buttons.
enum class MouseButton : std::uint16_t { Left = 0x110, Right = 0x111, Middle = 0x112, Side = 0x113, Extra = 0x114 };

// Calls may come from several threads (a macro's thread and a shortcut on
// the window thread); each one reaches the session whole.
class IInputInjector {
public:
    virtual ~IInputInjector() = default;
    virtual void KeyDown(std::uint16_t inputCode) = 0;
    virtual void KeyUp(std::uint16_t inputCode) = 0;
    virtual void ButtonDown(MouseButton button) = 0;
    virtual void ButtonUp(MouseButton button) = 0;
};

enum class InjectorKind { XTest, Uinput };

struct InjectionSetting {
    std::string requested;  // KELM_INJECT: "xtest", "uinput", else empty
    bool x11 = false;       // DISPLAY names a display
    bool wayland = false;   // WAYLAND_DISPLAY is set
    bool uinputWritable = false;
};

// The backends to try, in order. XTest reaches only X clients, so under
// Wayland uinput comes first where it can be had.
std::vector<InjectorKind> InjectorCandidates(const InjectionSetting& setting);

// The first candidate that opens, once per process start; nullptr when none
// does. The choice is named in the debug output.
std::unique_ptr<IInputInjector> CreateInputInjector();

// XTest on displayName (nullptr: $DISPLAY); nullptr without the display or
// its XTest extension.
std::unique_ptr<IInputInjector> OpenXTestInjector(const char* displayName);

}  // namespace kelm
