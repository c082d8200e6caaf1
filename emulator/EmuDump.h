// `KelmEmu ctl dump`: the keyboard's state as JSON, the profiles in
// kelmctl's profile form (settings/json/ProfileJson.h), which uses the field
// names of the settings record:
//
//   {"FWVersion": 115, "CurrentProfile": 0, "Plugged": true,
//    "HostState": null | 0..255, "SyncStamp": "<32 hex digits>",
//    "PactRelay": null | "<hex of the last PactRelayReport>",
//    "Faults": {"BusyPolls": n (-1 forever), "ReadFailures": n,
//               "ChecksumFaults": n, "UnplugAfter": null | n},
//    "Profiles": [5 × {"ProFileName", "GameFile0".."GameFile2", "KBDelay",
//       "KBSpeed", "MediaOption", "HDDKeyboard", "LtBrightness",
//       "DimmerOption", "LtTimeout", "ModifyKey": [6], "SoundProfile",
//       "SoundLRecord", "SoundSens", "VolumeUpDown", "SoundVolume",
//       "Keys": [58 × {"KeyIndex", "FunctionCode", "TargetDevice", "KeyLabel",
//          "MacroSetName", "MacroName", "MacroOption",
//          "Events": [[key, action, delay], ...], "TimerSeconds",
//          "TimerName", "QuickLaunchPath"}]}]}
#pragma once

#include <string>

#include "emulator/EmuKeyboard.h"

namespace kelm::emu {

std::string DumpKeyboard(EmuKeyboard& keyboard);

}  // namespace kelm::emu
