#include "settings/json/ProfileJson.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <memory>
#include <type_traits>

#include "settings/Defaults.h"
#include "settings/IniDocument.h"
#include "settings/Text.h"
#include "settings/json/TextCodec.h"

namespace kelm::json {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

struct IntField {
    std::string_view name;
    std::int32_t ProfileRecord::*field;
    std::int64_t low;
    std::int64_t high;
    std::string_view note;
};

// A profile file that lacks a key loads -1 (0 for the light values), and
// such files are real, so the ranges admit those values beside the
// documented ones. Fields nothing interprets are carried as they are.
constexpr IntField kLeadingInts[] = {
    {"KBDelay", &ProfileRecord::KBDelay, -1, 3, "key repeat delay"},
    {"KBSpeed", &ProfileRecord::KBSpeed, -1, 31, "key repeat rate"},
    {"MediaOption", &ProfileRecord::MediaOption, -1, 3, "0 Media Player, 1 iTunes, 2 VLC, 3 Winamp"},
    {"HDDKeyboard", &ProfileRecord::HDDKeyboard, kInt32Min, kInt32Max, "carried as it is"},
    {"LtBrightness", &ProfileRecord::LtBrightness, 0, 5, "illumination brightness"},
    {"DimmerOption", &ProfileRecord::DimmerOption, 0, 5, "dimmer mode"},
    {"LtTimeout", &ProfileRecord::LtTimeout, 0, 30, "dimmer time-out 1..30"},
};
constexpr std::int64_t kModifyKeyLow = -1;
constexpr std::int64_t kModifyKeyHigh = 1;
constexpr IntField kTrailingInts[] = {
    {"SoundProfile", &ProfileRecord::SoundProfile, -1, 1, "1 on, 0 off"},
    {"SoundLRecord", &ProfileRecord::SoundLRecord, -1, 1, "1 on, 0 off"},
    {"SoundSens", &ProfileRecord::SoundSens, -1, 1, "1 on, 0 off"},
    {"VolumeUpDown", &ProfileRecord::VolumeUpDown, -1, 1, "1 on, 0 off"},
    {"SoundVolume", &ProfileRecord::SoundVolume, -1, 4, "feedback volume"},
};

constexpr std::string_view kProfileMembers[] = {
    "ProFileName",  "GameFile0",    "GameFile1",    "GameFile2",    "KBDelay",     "KBSpeed",
    "MediaOption",  "HDDKeyboard",  "LtBrightness", "DimmerOption", "LtTimeout",   "ModifyKey",
    "SoundProfile", "SoundLRecord", "SoundSens",    "VolumeUpDown", "SoundVolume", "Keys",
};
constexpr std::string_view kKeyMembers[] = {
    "KeyIndex",    "FunctionCode", "TargetDevice", "KeyLabel",  "MacroSetName",    "MacroName",
    "MacroOption", "Events",       "TimerSeconds", "TimerName", "QuickLaunchPath",
};

constexpr std::size_t kModifyKeyCount = std::extent_v<decltype(ProfileRecord::ModifyKey)>;

template <std::size_t N>
Json FieldToJson(const char (&field)[N]) {
    return TextToJson(FieldText(field));
}

void ReadIntField(const Json& object, const std::string& path, std::string_view name, std::int32_t& field,
                  std::int64_t low, std::int64_t high) {
    if (const Json* value = FindMember(object, name))
        field = static_cast<std::int32_t>(ReadInteger(*value, MemberPath(path, name), low, high));
}

void ReadByteField(const Json& object, const std::string& path, std::string_view name, std::uint8_t& field) {
    if (const Json* value = FindMember(object, name))
        field = static_cast<std::uint8_t>(ReadInteger(*value, MemberPath(path, name), 0, 255));
}

template <std::size_t N>
void ReadTextField(const Json& object, const std::string& path, std::string_view name, char (&field)[N]) {
    if (const Json* value = FindMember(object, name)) CopyField(field, ReadText(*value, MemberPath(path, name), N - 1));
}

// The profile file keeps these texts as INI values. A text the file would
// not read back as written (a line break becomes a blank) is refused rather
// than changed behind the user's back; the INI layer itself is asked, so
// this check follows its rules.
bool SurvivesIniValue(const std::string& text) {
    IniDocument doc;
    doc.Set("Setting", "Value", text);
    const auto back = doc.Get("Setting", "Value");
    return back && *back == text;
}

template <std::size_t N>
void ReadIniTextField(const Json& object, std::string_view name, char (&field)[N]) {
    const Json* value = FindMember(object, name);
    if (value == nullptr) return;
    const std::string path(name);
    const std::string bytes = ReadText(*value, path, N - 1);
    if (!SurvivesIniValue(bytes))
        FailField(path, bytes.find_first_of("\r\n") != std::string::npos
                            ? "a line break cannot be stored in a profile file"
                            : "a profile file would not read this text back as it is");
    CopyField(field, bytes);
}

// The second value of an event is the press/release action of a macro; a
// shortcut keeps its modifier bits there, and keys of other functions carry
// whatever bytes they hold without using them.
void ReadEvents(const Json& value, const std::string& path, MacroKeyInfo& entry) {
    ExpectArray(value, path);
    if (value.size() > static_cast<std::size_t>(kMaxEvents))
        FailField(path, std::to_string(value.size()) + " events, at most " + std::to_string(kMaxEvents));
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string eventPath = ElementPath(path, i);
        const Json& event = value[i];
        if (!event.is_array() || event.size() != 3)
            FailField(eventPath,
                      "expected [keyCode, action, delay], got " +
                          (event.is_array() ? std::to_string(event.size()) + " values" : DescribeValue(event)));
        MacroEvent& out = entry.Events[i];
        out.KeyCode = static_cast<std::uint8_t>(ReadInteger(event[0], ElementPath(eventPath, 0), 0, 255, "key code"));
        if (entry.FunctionCode == kFnMacro)
            out.Action = static_cast<std::uint8_t>(
                ReadInteger(event[1], ElementPath(eventPath, 1), kActionPress, kActionRelease, "action"));
        else
            out.Action =
                static_cast<std::uint8_t>(ReadInteger(event[1], ElementPath(eventPath, 1), 0, 255,
                                                      entry.FunctionCode == kFnShortcut ? "modifier bits" : "action"));
        out.Delay = static_cast<std::uint16_t>(ReadInteger(event[2], ElementPath(eventPath, 2), 0, 65535, "delay"));
    }
    entry.EventCount = static_cast<std::uint16_t>(value.size());
}

void ReadKeyEntry(const Json& object, const std::string& path, int keyIndex, MacroKeyInfo& entry) {
    CheckMembers(object, path, kKeyMembers);
    DefaultKeyEntry(entry, keyIndex);
    ReadByteField(object, path, "FunctionCode", entry.FunctionCode);
    ReadIntField(object, path, "TargetDevice", entry.TargetDevice, kInt32Min, kInt32Max);
    ReadTextField(object, path, "KeyLabel", entry.KeyLabel);
    ReadTextField(object, path, "MacroSetName", entry.MacroSetName);
    ReadTextField(object, path, "MacroName", entry.MacroName);
    ReadIntField(object, path, "MacroOption", entry.MacroOption, kInt32Min, kInt32Max);
    if (const Json* events = FindMember(object, "Events")) ReadEvents(*events, MemberPath(path, "Events"), entry);
    ReadIntField(object, path, "TimerSeconds", entry.TimerSeconds, kInt32Min, kInt32Max);
    ReadTextField(object, path, "TimerName", entry.TimerName);
    ReadTextField(object, path, "QuickLaunchPath", entry.QuickLaunchPath);
}

void ReadKeys(const Json& keys, ProfileRecord& profile) {
    const std::string path = "Keys";
    ExpectArray(keys, path);
    if (keys.size() > static_cast<std::size_t>(kKeyCount))
        FailField(path, std::to_string(keys.size()) + " entries, at most " + std::to_string(kKeyCount));
    const bool complete = keys.size() == static_cast<std::size_t>(kKeyCount);
    std::array<int, kKeyCount> givenBy;
    givenBy.fill(-1);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string entryPath = ElementPath(path, i);
        const Json& entry = keys[i];
        ExpectObject(entry, entryPath);
        const std::string indexPath = MemberPath(entryPath, "KeyIndex");
        int keyIndex = static_cast<int>(i);
        if (const Json* given = FindMember(entry, "KeyIndex")) {
            keyIndex = static_cast<int>(ReadInteger(*given, indexPath, 0, kKeyCount - 1));
            if (complete && keyIndex != static_cast<int>(i))
                FailField(indexPath, std::to_string(keyIndex) + " differs from the entry's position " +
                                         std::to_string(i) + " in a list of all " + std::to_string(kKeyCount) +
                                         " keys");
        } else if (!complete) {
            FailField(indexPath, "required when Keys holds fewer than " + std::to_string(kKeyCount) + " entries");
        }
        const auto slot = static_cast<std::size_t>(keyIndex);
        if (givenBy[slot] >= 0)
            FailField(indexPath, "key " + std::to_string(keyIndex) + " is already given by " +
                                     ElementPath(path, static_cast<std::size_t>(givenBy[slot])));
        givenBy[slot] = static_cast<int>(i);
        ReadKeyEntry(entry, entryPath, keyIndex, profile.Keys[keyIndex]);
    }
}

void ReadModifyKeys(const Json& value, ProfileRecord& profile) {
    const std::string path = "ModifyKey";
    ExpectArray(value, path);
    if (value.size() != kModifyKeyCount)
        FailField(path, "expected " + std::to_string(kModifyKeyCount) + " values, got " + std::to_string(value.size()));
    for (std::size_t i = 0; i < kModifyKeyCount; ++i)
        profile.ModifyKey[i] =
            static_cast<std::int32_t>(ReadInteger(value[i], ElementPath(path, i), kModifyKeyLow, kModifyKeyHigh));
}

void ReadProfile(const Json& json, ProfileRecord& profile) {
    if (!json.is_object()) FailField("", "expected a profile object, got " + DescribeValue(json));
    CheckMembers(json, "", kProfileMembers);
    DefaultProfile(profile, 0);
    ReadIniTextField(json, "ProFileName", profile.ProFileName);
    ReadIniTextField(json, "GameFile0", profile.GameFile0);
    ReadIniTextField(json, "GameFile1", profile.GameFile1);
    ReadIniTextField(json, "GameFile2", profile.GameFile2);
    for (const IntField& f : kLeadingInts) ReadIntField(json, "", f.name, profile.*f.field, f.low, f.high);
    if (const Json* modify = FindMember(json, "ModifyKey")) ReadModifyKeys(*modify, profile);
    for (const IntField& f : kTrailingInts) ReadIntField(json, "", f.name, profile.*f.field, f.low, f.high);
    if (const Json* keys = FindMember(json, "Keys")) ReadKeys(*keys, profile);
}

std::string LimitLine(std::string_view name, std::int64_t low, std::int64_t high, std::string_view note) {
    const std::string range = low == kInt32Min && high == kInt32Max ? std::string("any int32")
                                                                    : std::to_string(low) + ".." + std::to_string(high);
    char line[160];
    std::snprintf(line, sizeof line, "  %-14.*s %-10s %.*s\n", static_cast<int>(name.size()), name.data(),
                  range.c_str(), static_cast<int>(note.size()), note.data());
    return line;
}

}  // namespace

Json TextToJson(std::string_view bytes) { return BytesToJsonText(bytes); }

Json EventsToJson(const MacroEvent* events, std::size_t count) {
    Json json = Json::array();
    for (std::size_t i = 0; i < count; ++i)
        json.push_back(Json::array({events[i].KeyCode, events[i].Action, events[i].Delay}));
    return json;
}

Json KeyEntryToJson(const MacroKeyInfo& entry) {
    Json json = Json::object();
    json["KeyIndex"] = entry.KeyIndex;
    json["FunctionCode"] = entry.FunctionCode;
    json["TargetDevice"] = entry.TargetDevice;
    json["KeyLabel"] = FieldToJson(entry.KeyLabel);
    json["MacroSetName"] = FieldToJson(entry.MacroSetName);
    json["MacroName"] = FieldToJson(entry.MacroName);
    json["MacroOption"] = entry.MacroOption;
    // A damaged count must not read past the events.
    json["Events"] = EventsToJson(entry.Events, std::min<std::size_t>(entry.EventCount, kMaxEvents));
    json["TimerSeconds"] = entry.TimerSeconds;
    json["TimerName"] = FieldToJson(entry.TimerName);
    json["QuickLaunchPath"] = FieldToJson(entry.QuickLaunchPath);
    return json;
}

Json ProfileToJson(const ProfileRecord& profile) {
    Json json = Json::object();
    json["ProFileName"] = FieldToJson(profile.ProFileName);
    json["GameFile0"] = FieldToJson(profile.GameFile0);
    json["GameFile1"] = FieldToJson(profile.GameFile1);
    json["GameFile2"] = FieldToJson(profile.GameFile2);
    for (const IntField& f : kLeadingInts) json[std::string(f.name)] = profile.*f.field;
    Json modify = Json::array();
    for (std::int32_t value : profile.ModifyKey) modify.push_back(value);
    json["ModifyKey"] = std::move(modify);
    for (const IntField& f : kTrailingInts) json[std::string(f.name)] = profile.*f.field;
    Json keys = Json::array();
    for (const MacroKeyInfo& entry : profile.Keys) keys.push_back(KeyEntryToJson(entry));
    json["Keys"] = std::move(keys);
    return json;
}

std::optional<JsonError> ProfileFromJson(const Json& json, ProfileRecord& profile) {
    // Value-initialised, so that padding is zero as in a record the
    // settings library initialises.
    const auto parsed = std::make_unique<ProfileRecord>();
    try {
        ReadProfile(json, *parsed);
    } catch (const JsonError& error) {
        return error;
    }
    profile = *parsed;
    return std::nullopt;
}

std::string DescribeProfileLimits() {
    std::string text;
    for (const IntField& f : kLeadingInts) text += LimitLine(f.name, f.low, f.high, f.note);
    text += LimitLine("ModifyKey", kModifyKeyLow, kModifyKeyHigh, "array of exactly 6; 1 enabled, 0 disabled");
    for (const IntField& f : kTrailingInts) text += LimitLine(f.name, f.low, f.high, f.note);
    return text;
}

}  // namespace kelm::json
