#include "settings/SettingsStore.h"

#include <utility>

#include "platform/FileIo.h"
#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/ProfileFile.h"

namespace kelm {

namespace {

constexpr const char* kSetting = "Setting";

struct GlobalKey {
    const char* name;
    std::int32_t SettingsRecord::*field;
};
constexpr GlobalKey kGlobals[] = {
    {"CurrentProfile", &SettingsRecord::CurrentProfile},
    {"WindowsProfile", &SettingsRecord::WindowsProfile},
    {"QuickHelpLan", &SettingsRecord::QuickHelpLan},
    {"MouseType", &SettingsRecord::MouseType},
};

}  // namespace

int LoadAll(SettingsRecord& record, const StoreLocation& where) {
    const IniFile config(where.ConfigPath());
    for (const GlobalKey& g : kGlobals) record.*g.field = config.ReadInt(kSetting, g.name, -1);
    for (int slot = 0; slot < kProfileCount; ++slot) {
        FileContents file = ReadWholeFile(where.ProfilePath(slot));
        if (file.status == ReadStatus::Ok)
            LoadProfile(record.Profiles[slot], IniFile(where.ProfilePath(slot), std::move(file)));
        else
            DefaultProfile(record.Profiles[slot], slot);
    }
    // The session's key-repeat values win over the file.
    if (IsValidSlot(record.CurrentProfile)) ReadRepeatFromRegistry(where, record.Profiles[record.CurrentProfile]);
    return 1;
}

int SaveAll(const SettingsRecord& record, const StoreLocation& where) {
    bool ok = true;
    if (IsValidSlot(record.CurrentProfile))
        ok = WriteRepeatToRegistry(where, record.Profiles[record.CurrentProfile]) == 1;
    IniFile config(where.ConfigPath());
    for (const GlobalKey& g : kGlobals) config.WriteInt(kSetting, g.name, record.*g.field);
    ok = config.Save() && ok;
    ok = MakeFolders(where.ConfigFolder()) && ok;
    for (int slot = 0; slot < kProfileCount; ++slot)
        ok = SaveProfile(record.Profiles[slot], where.ProfilePath(slot)) && ok;
    return ok ? 1 : 0;
}

}  // namespace kelm
