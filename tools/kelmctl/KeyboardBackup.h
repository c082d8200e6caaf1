// A backup of the keyboard: its five profiles with their macros and its
// current profile, as one JSON document, and the sequence that puts such
// a backup back on the keyboard.
#pragma once

#include <optional>
#include <string>

#include "keyboard/Clock.h"
#include "keyboard/FeatureDevice.h"
#include "keyboard/ProtocolHost.h"
#include "settings/json/JsonFields.h"
#include "tools/kelmctl/KeyboardDump.h"

namespace kelm::ctl {

// {"Format": "Kelm keyboard backup", "Version": 1, "FWVersion",
//  "CurrentProfile": -1..4, "Profiles": [five profiles as ProfileJson.h shows them]}
Json BackupToJson(const KeyboardContents& contents);

// Checks the whole document before anything is kept: every member present
// (an unknown one is an error), the profiles as 'profile write' takes them.
// On error backup is left as it was.
std::optional<json::JsonError> BackupFromJson(const Json& json, KeyboardContents& backup);

// The backup's profiles and, when it names one, its current profile over
// record, with every change flag set so that all of it is sent.
void TakeOverBackup(const SettingsRecord& backup, SettingsRecord& record);

// Puts record (after TakeOverBackup) on the keyboard and in the settings
// files. The files are written first: when the keyboard then does not take
// everything, the stamp the files keep no longer matches the keyboard's, so
// the next connect of KelmWatch reads the keyboard back. False, with the
// reason in error, when the files or the keyboard did not take it all.
bool RestoreToKeyboard(IFeatureDevice& keyboard, IClock& clock, ISettingsFiles& files, SettingsRecord& record,
                       std::string& error);

// True when KelmWatch's record still holds changes it has not sent: the
// keyboard was away at the last apply, and the record is not the keyboard's.
bool AnyChangePending(const ChangeFlags& flags);

}  // namespace kelm::ctl
