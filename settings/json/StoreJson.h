// The settings files of a program folder as JSON, for showing them:
// config.ini with the five slot profiles, the macro library and the timers.
#pragma once

#include "settings/MacroLibrary.h"
#include "settings/SettingsRecord.h"
#include "settings/json/Json.h"

namespace kelm::json {

// {"CurrentProfile", "WindowsProfile", "QuickHelpLan", "MouseType",
//  "Profiles": [five profiles as ProfileJson.h shows them]}
Json SettingsToJson(const SettingsRecord& record);
// {"Sets": [{"Name", "Macros": [{"Name", "MacroOption", "Events"}]}]}
Json MacroLibraryToJson(const MacroLibrary& library);
// [{"TimerSeconds", "TimerName"}]
Json TimersToJson(const TimerList& timers);

}  // namespace kelm::json
