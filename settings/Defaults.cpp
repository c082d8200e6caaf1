#include "settings/Defaults.h"

#include <cstdio>
#include <cstring>

#include "settings/Language.h"
#include "settings/Text.h"

namespace kelm {

const std::array<std::uint8_t, kKeyCount> kDefaultFunctionCodes = {
    // M1-M5, EM1-EM5
    0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC,
    // Hot Grid keys
    0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF,
    0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF,
    // T1-T3, ET1-ET3
    0xB1, 0xDD, 0xB0, 0x39, 0xCB, 0xC0,
    // F1-F12
    0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF,
    // MM1-MM8
    0xD2, 0xD1, 0xD0, 0xCC, 0xCE, 0xCD, 0xC3, 0xC2,
    // CapsLk, ECapsLk
    0xFF, 0xDF,
};

void DefaultKeyEntry(MacroKeyInfo& entry, int keyIndex) {
    std::memset(&entry, 0, sizeof entry);
    entry.KeyIndex = static_cast<std::uint8_t>(keyIndex);
    entry.FunctionCode = kDefaultFunctionCodes[static_cast<std::size_t>(keyIndex)];
}

void DefaultProfile(ProfileRecord& profile, int slot) {
    // Padding and the bytes behind each text's terminator are zero too, so
    // a defaulted profile is the same bytes whatever the record held.
    std::memset(&profile, 0, sizeof profile);
    char name[24];
    std::snprintf(name, sizeof name, "Default%d", slot + 1);
    CopyField(profile.ProFileName, name);
    CopyField(profile.GameFile0, "");
    CopyField(profile.GameFile1, "");
    CopyField(profile.GameFile2, "");
    profile.KBDelay = 1;
    profile.KBSpeed = 31;
    profile.MediaOption = 0;
    profile.HDDKeyboard = 1;
    profile.LtBrightness = 3;
    profile.DimmerOption = 1;
    profile.LtTimeout = 15;
    for (auto& modify : profile.ModifyKey) modify = 1;
    profile.SoundProfile = 1;
    profile.SoundLRecord = 1;
    profile.SoundSens = 1;
    profile.VolumeUpDown = 1;
    profile.SoundVolume = 2;
    for (int k = 0; k < kKeyCount; ++k) DefaultKeyEntry(profile.Keys[k], k);
}

void DefaultSettings(SettingsRecord& record) {
    record.CurrentProfile = 0;
    record.WindowsProfile = -1;
    record.QuickHelpLan = DefaultLanguageIndex();
    for (int slot = 0; slot < kProfileCount; ++slot) DefaultProfile(record.Profiles[slot], slot);
}

void ClearSettings(SettingsRecord& record) {
    record.CurrentProfile = -1;
    record.MouseType = 0;
    std::memset(record.Profiles, 0, sizeof record.Profiles);
    ClearChangeFlags(record);
}

void ClearChangeFlags(SettingsRecord& record) { std::memset(&record.Flags, 0, sizeof record.Flags); }

void MarkAllChanged(SettingsRecord& record) {
    ChangeFlags& f = record.Flags;
    for (auto& profile : f.KeyChanged)
        for (auto& key : profile) key = 1;
    for (int p = 0; p < kProfileCount; ++p) {
        f.HDDKeyboardChanged[p] = 1;
        f.ModifyKeyChanged[p] = 1;
        f.LightChanged[p] = 1;
    }
    f.CurrentProfileChanged = 1;
}

void ComputeChangeFlags(const SettingsRecord& applied, SettingsRecord& working) {
    ChangeFlags& f = working.Flags;
    f.CurrentProfileChanged = applied.CurrentProfile != working.CurrentProfile ? 1 : 0;
    for (int p = 0; p < kProfileCount; ++p) {
        const ProfileRecord& a = applied.Profiles[p];
        const ProfileRecord& w = working.Profiles[p];
        f.HDDKeyboardChanged[p] = a.HDDKeyboard != w.HDDKeyboard ? 1 : 0;
        f.LightChanged[p] = (a.LtBrightness != w.LtBrightness || a.DimmerOption != w.DimmerOption ||
                             a.LtTimeout != w.LtTimeout)
                                ? 1
                                : 0;
        f.ModifyKeyChanged[p] = std::memcmp(a.ModifyKey, w.ModifyKey, sizeof a.ModifyKey) != 0 ? 1 : 0;
    }
}

std::int32_t OsVersionClass() { return 0; }

}  // namespace kelm

namespace kelm {

namespace {
template <std::size_t N>
void Terminate(char (&field)[N]) {
    field[N - 1] = '\0';
}
}  // namespace

void RepairKeyEntry(MacroKeyInfo& entry) {
    if (entry.EventCount > kMaxEvents) entry.EventCount = kMaxEvents;
    Terminate(entry.KeyLabel);
    Terminate(entry.MacroSetName);
    Terminate(entry.MacroName);
    Terminate(entry.TimerName);
    Terminate(entry.QuickLaunchPath);
}

}  // namespace kelm
