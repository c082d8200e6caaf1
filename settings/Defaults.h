// Defaults, clearing and change detection of the settings record. All of
// them work in place on a caller-owned record and never allocate.
#pragma once

#include <array>
#include <cstdint>

#include "settings/SettingsRecord.h"

namespace kelm {

// Factory function code of each key entry.
extern const std::array<std::uint8_t, kKeyCount> kDefaultFunctionCodes;

void DefaultKeyEntry(MacroKeyInfo& entry, int keyIndex);
void DefaultProfile(ProfileRecord& profile, int slot);
void DefaultSettings(SettingsRecord& record);
void ClearSettings(SettingsRecord& record);
void ClearChangeFlags(SettingsRecord& record);
void MarkAllChanged(SettingsRecord& record);
// Fills the non-key flags of working by comparing it with the record last
// applied; KeyChanged stays as the editors set it.
void ComputeChangeFlags(const SettingsRecord& applied, SettingsRecord& working);

// The Windows release class the monitor keeps; no Windows release runs here.
std::int32_t OsVersionClass();

}  // namespace kelm

namespace kelm {

// Brings an entry read from outside (a file, a keyboard report) within the
// record's limits: at most 500 events and every text field terminated
// inside its bytes.
void RepairKeyEntry(MacroKeyInfo& entry);

}  // namespace kelm
