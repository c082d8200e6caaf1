// The software keyboard's memory in a file (`KelmEmu --state FILE`), so that
// it keeps its profiles across runs like the real keyboard. The file is an
// INI file written whole and atomically after every change:
//
//   [Keyboard]
//   FWVersion=115              firmware version 0..255
//   CurrentProfile=0           active profile 0..4
//   UpdateMode=0               1 while an update has begun and not succeeded
//   SyncStamp=<structure>      the 16-byte stamp
//   [Profile0] .. [Profile4]
//   ModifyKeyMask=63           bit i = ModifyKey i
//   LtBrightness=3             0..255 each, as the light report carries them
//   DimmerOption=1
//   LtTimeout=15
//   Key0 .. Key56=<structure>  the key entry's first 166 bytes (index, code,
//                              target device, names, option, event count)
//                              and its EventCount events
//
// Structures use the settings files' encoding (hex bytes and a check byte).
// A missing file is a factory keyboard; a missing key takes its factory
// value; a value that is present but damaged or out of range makes the
// load fail with a message naming it, so that a broken file is never
// silently replaced.
#pragma once

#include <memory>
#include <string>

#include "emulator/EmuKeyboard.h"

namespace kelm::emu {

struct StateLoad {
    std::unique_ptr<KeyboardMemory> memory;  // null when the load failed
    std::string error;
};

// firmware is the factory firmware version for a missing file or key.
StateLoad LoadKeyboardState(const std::string& path, int firmware);
std::string FormatKeyboardState(const KeyboardMemory& memory);
bool SaveKeyboardState(const std::string& path, const KeyboardMemory& memory);

}  // namespace kelm::emu
