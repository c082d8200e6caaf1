// The names KelmSetup shows for keys: of a HID usage (key code) and of a
// virtual key, and the virtual key to key code translation of keys pressed
// while a shortcut or macro is recorded.
//
// The Windows program asked the active keyboard layout for the characters
// of letter and punctuation keys. On Linux the virtual keys come from the
// physical key (the key-code table's rows are positions), so both
// directions use the table's own US-layout columns: the same key always
// gets the same code and name, whatever layout the desktop session has, and
// the monitor, which injects by position, plays back exactly the key that
// was recorded. The other direction, UsageToVirtualKey, is the one of
// KeyCodes.h, so both programs translate from the one table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "keyboard/KeyCodes.h"

namespace kelm {

// "" for a usage without a name. Usages 4..57 are named by the virtual key
// the usage translates to; the rest by fixed names.
std::string UsageName(std::uint8_t usage);

// "" for a virtual key that neither has a fixed name nor types a printable
// US-layout character.
std::string VirtualKeyName(std::uint8_t virtualKey);

// The key code of the table row holding virtualKey; nullopt when no row
// holds it (the generic Shift, Ctrl and Alt keys among them: the recording
// hook reports the left or right key).
std::optional<std::uint8_t> VirtualKeyToUsage(std::uint8_t virtualKey);

}  // namespace kelm
