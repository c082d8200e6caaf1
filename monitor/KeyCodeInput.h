// One key code of a macro or shortcut, or a virtual key, pressed or
// released through the injector: mouse codes as buttons, keys at their
// physical position, right-hand Shift, Ctrl and Alt folded into the left.
#pragma once

#include <cstdint>

#include "platform/InputInjector.h"

namespace kelm {

// Codes without a row inject nothing.
void InjectKeyCode(IInputInjector& injector, std::uint8_t code, bool down);
void InjectVirtualKey(IInputInjector& injector, std::uint8_t virtualKey, bool down);

}  // namespace kelm
