#include "monitor/KeyCodeInput.h"

#include "keyboard/KeyCodes.h"

namespace kelm {

void InjectKeyCode(IInputInjector& injector, std::uint8_t code, bool down) {
    InjectVirtualKey(injector, FoldModifier(UsageToVirtualKey(code).value_or(0)), down);
}

void InjectVirtualKey(IInputInjector& injector, std::uint8_t virtualKey, bool down) {
    const KeyCodeRow* row = virtualKey != 0 ? FindVirtualKey(virtualKey) : nullptr;
    if (row == nullptr) return;
    if (IsMouseButtonCode(row->code)) {
        const auto button = static_cast<MouseButton>(row->inputCode);
        down ? injector.ButtonDown(button) : injector.ButtonUp(button);
    } else {
        down ? injector.KeyDown(row->inputCode) : injector.KeyUp(row->inputCode);
    }
}

}  // namespace kelm
