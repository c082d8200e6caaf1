// The shortcut dialog's choice while the user makes it: the key comes from
// the keys pressed (by Linux input code, from the keyboard grab or the
// dialog's own window) and is named as the slot will name it; the modifier
// boxes follow the stored bits, in which None stands alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "keyboard/KeyFunctions.h"

namespace kelm {

class ShortcutEdit {
public:
    // Starts on current: its key when that has a key row, its boxes as its
    // bits (None alone when None is among them).
    explicit ShortcutEdit(const ShortcutChoice& current);

    // A pressed key becomes the chosen key when it has a row in the key-code
    // table; otherwise false, and the chosen key stays.
    bool PressKey(std::uint16_t inputCode);

    // bit is one of the kShortcut* bits. Ticking None unticks the other
    // four, and they stay unticked while None is ticked.
    void SetBox(std::uint8_t bit, bool ticked);
    bool Ticked(std::uint8_t bit) const { return (modifiers_ & bit) != 0; }
    bool BoxEnabled(std::uint8_t bit) const { return bit == kShortcutNone || !Ticked(kShortcutNone); }

    // "" while no key is chosen.
    std::string KeyName() const;
    // What OK stores; nullopt while no key is chosen, since a shortcut of
    // usage 0 would be a key that types nothing.
    std::optional<ShortcutChoice> Choice() const;

private:
    std::uint8_t usage_ = 0;  // 0: none chosen
    std::uint8_t modifiers_ = 0;
};

}  // namespace kelm
