// Five profiles that differ from the factory ones in every report the
// keyboard keeps, with macros of every size: what a used keyboard holds.
#pragma once

#include <string>

#include "monitor/protocol/Reports.h"
#include "settings/Defaults.h"
#include "settings/SettingsRecord.h"
#include "settings/Text.h"

namespace kelm::keyboard_test {

inline void SetMacro(MacroKeyInfo& key, const std::string& name, int events) {
    key.FunctionCode = kFnMacro;
    CopyField(key.KeyLabel, "Key " + name);
    CopyField(key.MacroSetName, "Games");
    CopyField(key.MacroName, name);
    key.MacroOption = 2;
    key.EventCount = static_cast<std::uint16_t>(events);
    for (int i = 0; i < events; ++i)
        key.Events[i] = {static_cast<std::uint8_t>(0x04 + i % 26), static_cast<std::uint8_t>(1 + i % 2),
                         static_cast<std::uint16_t>(10 * i)};
}

// Slot 0..4; two macros per profile, 66 events on average.
inline void PrepareProfile(ProfileRecord& profile, int slot) {
    DefaultProfile(profile, slot);
    for (int i = 0; i < 6; ++i) profile.ModifyKey[i] = (i + slot) % 2;
    profile.LtBrightness = slot;
    profile.DimmerOption = 2;
    profile.LtTimeout = 10 + slot;
    profile.Keys[36 + slot].FunctionCode = 0xBC;  // an F key starts a timer
    profile.Keys[48 + slot].FunctionCode = 0xEF;  // a media key does its standard job
    profile.Keys[kCapsLockKey].FunctionCode = slot == 1 ? 0x00 : 0xEF;
    if (slot == 2) {  // T2 types Shift+Z
        MacroKeyInfo& thumb = profile.Keys[31];
        thumb.FunctionCode = 0xB8;
        thumb.Events[0] = {0x1D, 0x02, 0};
        thumb.EventCount = 1;
    }
    SetMacro(profile.Keys[slot], "Profile " + std::to_string(slot + 1), 3 + slot * 20);
    SetMacro(profile.Keys[10 + slot * 5], slot == 4 ? "a macro name thirty bytes long" : "padded   ",
             slot == 4 ? kMaxEvents : 10);
}

}  // namespace kelm::keyboard_test
