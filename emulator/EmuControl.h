// The commands of `KelmEmu ctl`, carried out on the keyboard. Numbers may
// be decimal or 0x-prefixed hex.
//
//   press N | release N        key number 1..58 of the active profile
//   profile N                  the user switches to profile 1..5 on the keyboard
//   brightness N               the user sets illumination level 1..6
//   record STAGE [KEY [EV...]] macro-recording stage 1..5 on key number KEY
//                              (default 0); stage 3 stores the events
//                              EV = KEYCODE:ACTION:DELAY into key 1..36 first
//   event TYPE DATA            raises any event
//   plug | unplug
//   fault busy N|forever       the next N status reads answer busy
//   fault readfail N           the next N reads fail
//   fault checksum N           the next N reads with a checksum carry a wrong one
//   fault unplug-after N       unplug after N more reports (0: now)
//   fault repeat N|forever     update mode: the next N commands answer "repeat"
//   fault block-fail BLOCK     update mode: the data of block 0..199 fails
//   fault unplug-after-blocks N  update mode: unplug once N more blocks are taken
//   fault clear
//   busy POLLS [MS]            every write (update commands too) leaves the
//                              keyboard busy for POLLS status reads and MS ms
//   firmware N                 firmware version 0..255
//   dump                       the state as JSON
//   log | reset-log            the reports received (see EmuLog.h)
//   help
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/EmuKeyboard.h"

namespace kelm::emu {

ActionResult RunControl(EmuKeyboard& keyboard, const std::vector<std::string>& words);
std::string ControlUsage();

// A number as the command line and ctl commands take it: decimal, or hex
// after 0x, within low..high; nothing when the word is anything else.
std::optional<long> ParseNumber(std::string_view word, long low, long high);

}  // namespace kelm::emu
