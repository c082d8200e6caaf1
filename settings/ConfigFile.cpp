#include "settings/ConfigFile.h"

#include <cstdio>
#include <cstring>

#include "settings/IniFile.h"
#include "settings/Text.h"

namespace kelm {

namespace {

constexpr const char* kSetting = "Setting";
constexpr const char* kRegistryKey = "HKEY_CURRENT_USER\\Control Panel\\Keyboard";

bool WriteOneInt(const StoreLocation& where, const char* section, const char* key, int value) {
    IniFile ini(where.ConfigPath());
    ini.WriteInt(section, key, value);
    return ini.Save();
}

std::string FolderOfFile(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

SyncStamp MakeSyncStamp(std::time_t now) {
    SyncStamp stamp{};
    const auto seconds = static_cast<std::uint32_t>(now);
    for (int i = 0; i < 4; ++i) stamp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seconds >> (8 * i));
    return stamp;
}

void DefaultOsdSetting(OsdSetting& osd) {
    std::memset(&osd, 0, sizeof osd);
    osd.MailPort = 110;
    osd.MailInterval = 5;
}

void ReadOsdSetting(const StoreLocation& where, OsdSetting& osd) {
    IniFile(where.ConfigPath()).ReadStruct("OSDSetting", "config", &osd, sizeof osd);
}

bool ReadOsdNotifications(const StoreLocation& where) {
    return IniFile(where.ConfigPath()).ReadInt("OSDSetting", "Notifications", 0) == 1;
}

bool WriteFirmwareVersion(const StoreLocation& where, int version) {
    return WriteOneInt(where, kSetting, "FWVersion", version);
}
bool WriteCurrentProfile(const StoreLocation& where, int slot) {
    return WriteOneInt(where, kSetting, "CurrentProfile", slot);
}
bool WriteDeviceState(const StoreLocation& where, int connected) {
    return WriteOneInt(where, kSetting, "Device", connected);
}

bool WriteSyncStamp(const StoreLocation& where, const SyncStamp& stamp) {
    IniFile ini(where.ConfigPath());
    ini.WriteStruct("HidAccessCode", "Code", stamp.data(), stamp.size());
    return ini.Save();
}

bool ReadSyncStamp(const StoreLocation& where, SyncStamp& stamp) {
    return IniFile(where.ConfigPath()).ReadStruct("HidAccessCode", "Code", stamp.data(), stamp.size());
}

int ReadFirmwareVersion(const StoreLocation& where) {
    return IniFile(where.ConfigPath()).ReadInt(kSetting, "FWVersion", 100);
}

std::string FormatFirmwareVersion(int version) {
    if (version < 100 || version > 500) return "N/A";
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", version);
    return std::string(1, digits[0]) + "." + (digits + 1);
}

bool WriteProfileFileName(const StoreLocation& where, int slotNumber, const std::string& title) {
    char section[32];
    std::snprintf(section, sizeof section, "Profile%d", slotNumber);
    IniFile ini(where.ConfigPath());
    ini.WriteString(section, "FileName", title);
    return ini.Save();
}

void ReadMouseSensitivity(const StoreLocation& where, std::int32_t (&cpi)[5]) {
    const IniFile ini(where.SharedSettingsFolder() + "Steadix.ini");
    for (int i = 0; i < 5; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "CPI %d", i);
        cpi[i] = ini.ReadInt("Vask+CPISetting", key, 0);
    }
}

int WriteRepeatToRegistry(const StoreLocation& where, const ProfileRecord& profile) {
    if (!MakeFolders(FolderOfFile(where.registryFile))) return -1;
    IniFile reg(where.registryFile);
    if (!reg.Readable()) return -1;
    reg.WriteInt(kRegistryKey, "KeyboardDelay", profile.KBDelay);
    reg.WriteInt(kRegistryKey, "KeyboardSpeed", profile.KBSpeed);
    return reg.Save() ? 1 : -1;
}

int ReadRepeatFromRegistry(const StoreLocation& where, ProfileRecord& profile) {
    const IniFile reg(where.registryFile);
    if (!reg.Readable()) return -1;
    // The registry values are read through an 80-byte buffer.
    constexpr std::size_t kValueLimit = 79;
    if (const auto delay = reg.Lookup(kRegistryKey, "KeyboardDelay"))
        profile.KBDelay = ParseLeadingInt(delay->substr(0, kValueLimit));
    if (const auto speed = reg.Lookup(kRegistryKey, "KeyboardSpeed"))
        profile.KBSpeed = ParseLeadingInt(speed->substr(0, kValueLimit));
    return 1;
}

}  // namespace kelm
