#include "settings/json/StoreJson.h"

#include <algorithm>

#include "settings/Text.h"
#include "settings/json/ProfileJson.h"

namespace kelm::json {

Json SettingsToJson(const SettingsRecord& record) {
    Json json = Json::object();
    json["CurrentProfile"] = record.CurrentProfile;
    json["WindowsProfile"] = record.WindowsProfile;
    json["QuickHelpLan"] = record.QuickHelpLan;
    json["MouseType"] = record.MouseType;
    Json profiles = Json::array();
    for (const ProfileRecord& profile : record.Profiles) profiles.push_back(ProfileToJson(profile));
    json["Profiles"] = std::move(profiles);
    return json;
}

Json MacroLibraryToJson(const MacroLibrary& library) {
    Json sets = Json::array();
    for (const MacroSet& set : library.Sets) {
        Json macros = Json::array();
        for (const MacroEntry& macro : set.Macros) {
            Json json = Json::object();
            json["Name"] = TextToJson(FieldText(macro.Name));
            json["MacroOption"] = macro.MacroOption;
            const auto count = static_cast<std::size_t>(std::clamp(macro.EventCount, 0, kMaxEvents));
            json["Events"] = EventsToJson(macro.Events, count);
            macros.push_back(std::move(json));
        }
        Json json = Json::object();
        json["Name"] = TextToJson(set.Name);
        json["Macros"] = std::move(macros);
        sets.push_back(std::move(json));
    }
    Json json = Json::object();
    json["Sets"] = std::move(sets);
    return json;
}

Json TimersToJson(const TimerList& timers) {
    Json json = Json::array();
    for (const TimerRecord& timer : timers) {
        Json entry = Json::object();
        entry["TimerSeconds"] = timer.TimerSeconds;
        entry["TimerName"] = TextToJson(FieldText(timer.TimerName));
        json.push_back(std::move(entry));
    }
    return json;
}

}  // namespace kelm::json
