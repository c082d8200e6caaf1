#include "monitor/ShortcutInput.h"

#include <array>
#include <vector>

#include "keyboard/KeyCodes.h"
#include "monitor/KeyCodeInput.h"

namespace kelm {

namespace {

constexpr std::uint8_t kNoModifiers = 0x01;

struct ModifierBit {
    std::uint8_t bit;
    std::uint8_t virtualKey;
};
// In the order they go down.
constexpr std::array<ModifierBit, 4> kModifiers{
    {{0x04, VK_CONTROL}, {0x02, VK_SHIFT}, {0x08, VK_MENU}, {0x10, VK_LWIN}}};

std::uint8_t MainCode(std::uint16_t word) { return static_cast<std::uint8_t>(word & 0xFF); }

std::vector<std::uint8_t> Modifiers(std::uint16_t word) {
    const auto flags = static_cast<std::uint8_t>(word >> 8);
    std::vector<std::uint8_t> keys;
    if ((flags & kNoModifiers) != 0) return keys;
    for (const ModifierBit& modifier : kModifiers)
        if ((flags & modifier.bit) != 0) keys.push_back(modifier.virtualKey);
    return keys;
}

}  // namespace

void ShortcutInput::Pause() { clock_.WaitUntil(clock_.Now() + kModifierSpacing, {}); }

void ShortcutInput::PressShortcut(std::uint16_t word) {
    for (const std::uint8_t modifier : Modifiers(word)) {
        InjectVirtualKey(injector_, modifier, true);
        Pause();
    }
    InjectKeyCode(injector_, MainCode(word), true);
}

void ShortcutInput::ReleaseShortcut(std::uint16_t word) {
    InjectKeyCode(injector_, MainCode(word), false);
    const auto modifiers = Modifiers(word);
    for (auto modifier = modifiers.rbegin(); modifier != modifiers.rend(); ++modifier) {
        Pause();
        InjectVirtualKey(injector_, *modifier, false);
    }
}

// A modifier as the main key only stays down: repeating it would do
// nothing but flicker its state.
void ShortcutInput::TapShortcutKey(std::uint16_t word) {
    const std::uint8_t virtualKey = UsageToVirtualKey(MainCode(word)).value_or(0);
    if (virtualKey == 0 || IsModifierVirtualKey(virtualKey)) return;
    InjectKeyCode(injector_, MainCode(word), false);
    Pause();
    InjectKeyCode(injector_, MainCode(word), true);
}

}  // namespace kelm
