// config.ini: the global part of the record and the monitor's status
// values, the keyboard-repeat values of the registry stand-in, and the
// companion mouse's settings.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"

namespace kelm {

using SyncStamp = std::array<std::uint8_t, 16>;

// Seconds since 1970 in bytes 0..3, least significant first; the rest zero.
SyncStamp MakeSyncStamp(std::time_t now);

// Settings of the separate on-screen display program, carried as opaque
// bytes apart from the fields named here.
struct OsdSetting {
    std::int32_t Switches[7];
    std::int32_t PositionX;
    std::int32_t PositionY;
    char MailServer[100];
    std::int32_t MailPort;
    char MailUser[100];
    char MailPassword[100];
    std::int32_t MailInterval;
};
static_assert(sizeof(OsdSetting) == 344);
static_assert(offsetof(OsdSetting, PositionX) == 28);
static_assert(offsetof(OsdSetting, MailServer) == 36);
static_assert(offsetof(OsdSetting, MailPort) == 136);
static_assert(offsetof(OsdSetting, MailUser) == 140);
static_assert(offsetof(OsdSetting, MailPassword) == 240);
static_assert(offsetof(OsdSetting, MailInterval) == 340);

void DefaultOsdSetting(OsdSetting& osd);
// A missing or damaged value leaves osd unchanged.
void ReadOsdSetting(const StoreLocation& where, OsdSetting& osd);
// [OSDSetting] Notifications: the display program shows its texts as
// desktop notifications when it is 1. A key of its own beside the record,
// which keeps its layout; off when missing.
bool ReadOsdNotifications(const StoreLocation& where);

// Monitor-side single values; each opens config.ini and writes one key.
bool WriteFirmwareVersion(const StoreLocation& where, int version);
bool WriteCurrentProfile(const StoreLocation& where, int slot);
bool WriteDeviceState(const StoreLocation& where, int connected);
bool WriteSyncStamp(const StoreLocation& where, const SyncStamp& stamp);
bool ReadSyncStamp(const StoreLocation& where, SyncStamp& stamp);

// Configuration-program values.
int ReadFirmwareVersion(const StoreLocation& where);  // 100 when missing
// "1.15" for 115; "N/A" outside 100..500.
std::string FormatFirmwareVersion(int version);
bool WriteProfileFileName(const StoreLocation& where, int slotNumber, const std::string& title);
void ReadMouseSensitivity(const StoreLocation& where, std::int32_t (&cpi)[5]);

// The registry stand-in for the session's key-repeat values. Both return
// 1, or -1 when the store cannot be opened or created (or, for the write,
// saved).
int WriteRepeatToRegistry(const StoreLocation& where, const ProfileRecord& profile);
int ReadRepeatFromRegistry(const StoreLocation& where, ProfileRecord& profile);

}  // namespace kelm
