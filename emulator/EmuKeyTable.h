// What the keyboard raises to the host when one of its keys is pressed or
// released, decided by the function code of the key's entry in the active
// profile. The keyboard carries out every other function itself.
//
//   function code                         press                      release
//   0xB8 shortcut, 0xBC timer,            EVT_KEY_FUNCTION 0x0D00,   EVT_KEY_FUNCTION,
//   0xBD stop timer, 0xBE macro           data = key number          data = 0x0100 | key number
//   0xB9 quick launch                     EVT_QUICK_LAUNCH 0x0700,   nothing
//                                         data = key number
//   0xDD open driver                      EVT_OPEN_SETUP 0x1000, 1   nothing
//   0xCB open player, 0xCC play/pause,    EVT_MEDIA 0x0B00,          EVT_MEDIA,
//   0xCD next, 0xCE previous, 0xCF stop   data = 0x20, 0x23, 0x21,   data = 0x0100 | code
//                                         0x22, 0x24 in that order
//   0x8C, 0x8D, 0xF5, 0xF6 DuoLayer,      EVT_PACT_KEY 0xFF00,       EVT_PACT_KEY,
//   0xF7..0xFB Steadix, on the keys       data = Pact key code:      data = 0x0100 | code
//   that have a Pact key code             0xAA..0xAE for entries
//                                         0..4 (M1-M5), 0xFC..0xFE
//                                         for 30..32 (T1-T3), 0x39
//                                         for 56 (CapsLk)
//   0xB0 profile up, 0xB1 down,           the keyboard switches its  nothing
//   0xB2 cycle, 0xB3..0xB7 profile 1..5   active profile and raises
//                                         EVT_PROFILE 0x0200, 1..5
//   anything else                         nothing                    nothing
//
// Profile up and down stop at profiles 5 and 1; cycle goes from 5 to 1. A
// DuoLayer or Steadix code on a key without a Pact key code raises nothing.
#pragma once

#include <cstdint>
#include <optional>

#include "keyboard/DeviceEvents.h"  // the event types, shared with the host side
#include "settings/SettingsRecord.h"

namespace kelm::emu {

struct KeyEvent {
    std::uint16_t type;
    std::uint16_t data;
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// The event for key entry keyIndex 0..57 (key number keyIndex + 1), or
// nothing when the keyboard handles the function itself.
std::optional<KeyEvent> KeyEventFor(const MacroKeyInfo& entry, int keyIndex, bool release);

// The Pact key code of a key entry, or nothing for keys without one.
std::optional<std::uint8_t> PactKeyCode(int keyIndex);

// The profile 0..4 the keyboard switches to when a key with code is
// pressed in profile current; nothing when code is no profile function.
std::optional<int> ProfileAfterKey(std::uint8_t code, int current);

}  // namespace kelm::emu
