// Profile files (.vkp): one ProfileRecord in section "Setting", its scalar
// fields as text and its 58 key entries as structure values.
#pragma once

#include <string>

#include "settings/IniFile.h"
#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"

namespace kelm {

// Fills profile from an opened file. Missing scalar keys take the file
// format's read defaults (-1, 0 or ""); a missing or damaged key entry
// takes that key's factory default.
void LoadProfile(ProfileRecord& profile, const IniFile& file);
void LoadProfile(ProfileRecord& profile, const std::string& path);
// Writes all 80 keys into the opened file; keys of other sections and
// unknown keys stay as they are. The caller saves the file.
void SaveProfile(const ProfileRecord& profile, IniFile& file);
bool SaveProfile(const ProfileRecord& profile, const std::string& path);

// The file's name without folder and extension.
std::string FileTitle(const std::string& path);

// "Load" of the configuration program: loads the chosen file into the
// working record's current slot and marks all its keys changed. A copy of
// the file is left in the program folder. False, with the record
// unchanged, when the file cannot be read or no slot is current.
bool ImportProfile(SettingsRecord& working, const StoreLocation& where, const std::string& chosenPath);
// "Save" of the configuration program: writes the current slot to the
// chosen file (holding only this format's keys), names it in config.ini
// and leaves a copy in config/. False when no slot is current or the
// chosen file could not be written.
bool ExportProfile(const SettingsRecord& working, const StoreLocation& where, const std::string& chosenPath);

}  // namespace kelm
