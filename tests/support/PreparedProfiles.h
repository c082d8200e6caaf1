// Five profiles that differ from the factory ones in every report the
// keyboard keeps, with macros of every size: what a used keyboard holds. The
// keyboard integration tests and the read-back benchmark put them on KelmEmu.
#pragma once

#include <memory>
#include <string>

#include "keyboard/Reports.h"
#include "keyboard/SettingsReports.h"
#include "platform/DeviceLibrary.h"
#include "settings/Defaults.h"
#include "settings/SettingsRecord.h"
#include "settings/Text.h"

namespace kelm::test {

// Macros among the prepared profiles.
inline constexpr int kPreparedMacros = 10;

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

// A report written straight through the library, without the protocol's waits.
inline bool SetFeature(const DeviceLibrary& library, const ReportBytes& report) {
    return library.SetFeature(report.data(), static_cast<unsigned>(report.size())) != 0;
}

// Puts a whole profile on the keyboard: its eight settings reports and the
// macros of its macro keys. False at the first report that is not taken.
inline bool WriteProfileReports(const DeviceLibrary& library, int slot, const ProfileRecord& profile) {
    const auto number = static_cast<std::uint8_t>(slot);
    for (const SettingsReportStep& step : kSettingsReports)
        if (!SetFeature(library, BuildSettingsReport(step.id, number, profile))) return false;
    for (int key = 0; key < kMacroCapableKeys; ++key) {
        if (profile.Keys[key].FunctionCode != kFnMacro) continue;
        if (!SetFeature(library, BuildMacroReport({number, static_cast<std::uint8_t>(key)}, profile.Keys[key])))
            return false;
    }
    return true;
}

// The five prepared profiles on the keyboard, profile 4 (slot 3) active.
inline bool WritePreparedProfiles(const DeviceLibrary& library) {
    const auto profile = std::make_unique<ProfileRecord>();
    for (int slot = 0; slot < kProfileCount; ++slot) {
        PrepareProfile(*profile, slot);
        if (!WriteProfileReports(library, slot, *profile)) return false;
    }
    return SetFeature(library, BuildProfileReport(3));
}

}  // namespace kelm::test
