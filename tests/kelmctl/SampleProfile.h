// A profile that uses what the JSON form must carry: texts at their full
// length, bytes that are not UTF-8, escapes, a macro of 500 events, a
// shortcut, a timer and a quick-launch key, and the -1 values a file without
// a key loads.
#pragma once

#include <cstring>
#include <string>

#include "settings/Defaults.h"
#include "settings/SettingsRecord.h"
#include "settings/Text.h"

namespace kelm::test {

inline void FillSampleProfile(ProfileRecord& p) {
    DefaultProfile(p, 2);
    // A UTF-8 "é", then the Windows-1252 byte of the same letter.
    CopyField(p.ProFileName, "Race \xC3\xA9t\xE9");
    CopyField(p.GameFile0, std::string(499, 'g'));
    CopyField(p.GameFile1, "/usr/games/quake \"demo\" = C:\\Games");
    p.KBDelay = -1;
    p.KBSpeed = 0;
    p.MediaOption = 3;
    p.HDDKeyboard = -7;
    p.LtBrightness = 5;
    p.DimmerOption = 0;
    p.LtTimeout = 30;
    const std::int32_t modify[6] = {1, 0, -1, 1, 0, 1};
    std::memcpy(p.ModifyKey, modify, sizeof modify);
    p.SoundProfile = 0;
    p.SoundLRecord = -1;
    p.SoundSens = 1;
    p.VolumeUpDown = 0;
    p.SoundVolume = 4;

    MacroKeyInfo& macro = p.Keys[3];
    macro.FunctionCode = kFnMacro;
    CopyField(macro.MacroSetName, "Work");
    CopyField(macro.MacroName, std::string(49, 'm'));
    macro.MacroOption = 3;
    macro.EventCount = kMaxEvents;
    for (int i = 0; i < kMaxEvents; ++i)
        macro.Events[i] = {static_cast<std::uint8_t>(i % 256), static_cast<std::uint8_t>(i % 2 == 0 ? 1 : 2),
                           static_cast<std::uint16_t>(i == 7 ? 65535 : i * 131)};

    MacroKeyInfo& shortcut = p.Keys[31];
    shortcut.FunctionCode = kFnShortcut;
    shortcut.EventCount = 1;
    shortcut.Events[0] = {0x04, 0x05, 0};

    MacroKeyInfo& timer = p.Keys[36];
    timer.FunctionCode = kFnTimer;
    timer.TimerSeconds = 90;
    // A control character, and the UTF-8 form of U+EF80, which must not be
    // taken for an escaped byte.
    CopyField(timer.TimerName, "Tea\t\xEE\xBE\x80 \"strong\" \\ done");

    MacroKeyInfo& launch = p.Keys[48];
    launch.FunctionCode = kFnQuickLaunch;
    CopyField(launch.QuickLaunchPath, "/opt/" + std::string(254, 'q'));

    MacroKeyInfo& label = p.Keys[57];
    label.TargetDevice = 65535;
    std::string bytes;
    for (int b = 0x80; b < 0x80 + 49; ++b) bytes += static_cast<char>(b);
    CopyField(label.KeyLabel, bytes);
}

}  // namespace kelm::test
