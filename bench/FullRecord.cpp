#include "bench/FullRecord.h"

#include <cstdio>
#include <string>

#include "settings/Defaults.h"
#include "settings/Text.h"

namespace kelm::bench {

namespace {

// Text that fills a field of N bytes; the label keeps fields apart.
template <std::size_t N>
void FillText(char (&field)[N], const char* label, int slot, int key) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%s %d.%d ", label, slot, key);
    std::string text = prefix;
    while (text.size() < N - 1) text += static_cast<char>('a' + text.size() % 26);
    CopyField(field, text);
}

void FillKey(MacroKeyInfo& entry, int slot, int k) {
    entry.KeyIndex = static_cast<std::uint8_t>(k);
    entry.FunctionCode = kFnMacro;
    entry.TargetDevice = 0;
    FillText(entry.KeyLabel, "Label", slot, k);
    FillText(entry.MacroSetName, "Set", slot, k);
    FillText(entry.MacroName, "Macro", slot, k);
    entry.MacroOption = 1;
    entry.EventCount = kMaxEvents;
    for (int i = 0; i < kMaxEvents; ++i) {
        MacroEvent& event = entry.Events[i];
        event.KeyCode = static_cast<std::uint8_t>(4 + (i / 2 + k) % 40);
        event.Action = i % 2 == 0 ? kActionPress : kActionRelease;
        event.Delay = static_cast<std::uint16_t>(15 + (i * 7 + slot) % 300);
    }
    entry.TimerSeconds = 60 * (k + 1);
    FillText(entry.TimerName, "Timer", slot, k);
    FillText(entry.QuickLaunchPath, "/opt/games/launcher", slot, k);
}

}  // namespace

void FillFullRecord(SettingsRecord& record) {
    DefaultSettings(record);
    record.CurrentProfile = 0;
    record.WindowsProfile = 1;
    record.MouseType = 0;
    for (int slot = 0; slot < kProfileCount; ++slot) {
        ProfileRecord& profile = record.Profiles[slot];
        FillText(profile.ProFileName, "Profile", slot, 0);
        FillText(profile.GameFile0, "/home/player/games/first", slot, 0);
        FillText(profile.GameFile1, "/home/player/games/second", slot, 1);
        FillText(profile.GameFile2, "/home/player/games/third", slot, 2);
        for (int k = 0; k < kKeyCount; ++k) FillKey(profile.Keys[k], slot, k);
    }
}

void ChangeEveryValue(SettingsRecord& record) {
    record.WindowsProfile = 2;
    for (ProfileRecord& profile : record.Profiles) {
        for (char* text : {profile.ProFileName, profile.GameFile0, profile.GameFile1, profile.GameFile2}) text[0] ^= 1;
        for (std::int32_t* number :
             {&profile.KBDelay, &profile.KBSpeed, &profile.MediaOption, &profile.HDDKeyboard, &profile.LtBrightness,
              &profile.DimmerOption, &profile.LtTimeout, &profile.SoundProfile, &profile.SoundLRecord,
              &profile.SoundSens, &profile.VolumeUpDown, &profile.SoundVolume})
            ++*number;
        for (std::int32_t& modify : profile.ModifyKey) ++modify;
        for (MacroKeyInfo& entry : profile.Keys) ++entry.Events[0].Delay;
    }
}

}  // namespace kelm::bench
