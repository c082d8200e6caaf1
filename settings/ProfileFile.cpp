#include "settings/ProfileFile.h"

#include <charconv>
#include <string>
#include <string_view>

#include "platform/FileIo.h"
#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/Text.h"

namespace kelm {

namespace {

constexpr const char* kSection = "Setting";

struct IntKey {
    const char* name;
    std::int32_t ProfileRecord::*field;
    std::int32_t readDefault;
};

// In the order the file holds them.
constexpr IntKey kLeadingInts[] = {
    {"KBDelay", &ProfileRecord::KBDelay, -1},           {"KBSpeed", &ProfileRecord::KBSpeed, -1},
    {"MediaOption", &ProfileRecord::MediaOption, -1},   {"HDDKeyboard", &ProfileRecord::HDDKeyboard, -1},
    {"SoundProfile", &ProfileRecord::SoundProfile, -1}, {"SoundLRecord", &ProfileRecord::SoundLRecord, -1},
    {"SoundSens", &ProfileRecord::SoundSens, -1},       {"VolumeUpDown", &ProfileRecord::VolumeUpDown, -1},
    {"SoundVolume", &ProfileRecord::SoundVolume, -1},
};
constexpr IntKey kTrailingInts[] = {
    {"LtBrightness", &ProfileRecord::LtBrightness, 0},
    {"DimmerOption", &ProfileRecord::DimmerOption, 0},
    {"LtTimeout", &ProfileRecord::LtTimeout, 0},
};

// Numbered keys such as "MacroKeyInfo57"; formatting them with snprintf
// was a tenth of the cost of loading a profile.
std::string KeyName(std::string_view prefix, int i) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, i).ptr;
    std::string name(prefix);
    name.append(digits, static_cast<std::size_t>(end - digits));
    return name;
}

template <std::size_t N>
void LoadText(const IniFile& file, const char* key, char (&field)[N]) {
    CopyField(field, file.ReadString(kSection, key, ""));
}

bool CopyFile(const std::string& bytes, const std::string& to) { return ReplaceFileAtomically(to, bytes); }

}  // namespace

void LoadProfile(ProfileRecord& profile, const IniFile& file) {
    LoadText(file, "ProFileName", profile.ProFileName);
    LoadText(file, "GameFile0", profile.GameFile0);
    LoadText(file, "GameFile1", profile.GameFile1);
    LoadText(file, "GameFile2", profile.GameFile2);
    for (const IntKey& k : kLeadingInts) profile.*k.field = file.ReadInt(kSection, k.name, k.readDefault);
    for (int i = 0; i < 6; ++i) profile.ModifyKey[i] = file.ReadInt(kSection, KeyName("ModifyKey", i), -1);
    for (const IntKey& k : kTrailingInts) profile.*k.field = file.ReadInt(kSection, k.name, k.readDefault);
    for (int k = 0; k < kKeyCount; ++k) {
        MacroKeyInfo& entry = profile.Keys[k];
        if (file.ReadStruct(kSection, KeyName("MacroKeyInfo", k), &entry, sizeof entry)) {
            RepairKeyEntry(entry);
            // Readers index by the entry's own index; a hand-edited value
            // must not name another key or none.
            entry.KeyIndex = static_cast<std::uint8_t>(k);
        } else {
            DefaultKeyEntry(entry, k);
        }
    }
}

void LoadProfile(ProfileRecord& profile, const std::string& path) { LoadProfile(profile, IniFile(path)); }

void SaveProfile(const ProfileRecord& profile, IniFile& file) {
    file.WriteString(kSection, "ProFileName", FieldText(profile.ProFileName));
    file.WriteString(kSection, "GameFile0", FieldText(profile.GameFile0));
    file.WriteString(kSection, "GameFile1", FieldText(profile.GameFile1));
    file.WriteString(kSection, "GameFile2", FieldText(profile.GameFile2));
    for (const IntKey& k : kLeadingInts) file.WriteInt(kSection, k.name, profile.*k.field);
    for (int i = 0; i < 6; ++i) file.WriteInt(kSection, KeyName("ModifyKey", i), profile.ModifyKey[i]);
    for (const IntKey& k : kTrailingInts) file.WriteInt(kSection, k.name, profile.*k.field);
    for (int k = 0; k < kKeyCount; ++k)
        file.WriteStruct(kSection, KeyName("MacroKeyInfo", k), &profile.Keys[k], sizeof(MacroKeyInfo));
}

bool SaveProfile(const ProfileRecord& profile, const std::string& path) {
    IniFile file(path);
    SaveProfile(profile, file);
    return file.Save();
}

std::string FileTitle(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) name.resize(dot);
    return name;
}

bool ImportProfile(SettingsRecord& working, const StoreLocation& where, const std::string& chosenPath) {
    if (!IsValidSlot(working.CurrentProfile)) return false;
    const FileContents chosen = ReadWholeFile(chosenPath);
    if (chosen.status != ReadStatus::Ok) return false;
    CopyFile(chosen.bytes, where.settingsFolder + FileTitle(chosenPath) + ".vkp");
    // Loaded from the bytes just read, not from the copy: a copy that failed
    // must not load whatever stale file lies at its path.
    LoadProfile(working.Profiles[working.CurrentProfile], IniFile(chosenPath, chosen.bytes));
    for (auto& flag : working.Flags.KeyChanged[working.CurrentProfile]) flag = 1;
    return true;
}

bool ExportProfile(const SettingsRecord& working, const StoreLocation& where, const std::string& chosenPath) {
    if (!IsValidSlot(working.CurrentProfile)) return false;
    IniFile file(chosenPath);
    file.Clear();  // the new file holds only this format's keys
    SaveProfile(working.Profiles[working.CurrentProfile], file);
    if (!file.Save()) return false;
    const std::string title = FileTitle(chosenPath);
    WriteProfileFileName(where, working.CurrentProfile + 1, title);
    MakeFolders(where.ConfigFolder());
    const FileContents written = ReadWholeFile(chosenPath);
    if (written.status == ReadStatus::Ok) CopyFile(written.bytes, where.ConfigFolder() + title + ".vkp");
    return true;
}

}  // namespace kelm
