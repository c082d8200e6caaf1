// A profile as JSON, in the record's own field names, and back again with
// every value checked against what its field can hold. The settings show,
// the keyboard dump and profile write all use this one form:
//
//   {"ProFileName": "...", "GameFile0": "...", ..., "KBDelay": 1, ...,
//    "ModifyKey": [1, 1, 1, 1, 1, 1], ...,
//    "Keys": [{"KeyIndex": 0, "FunctionCode": 211, ...,
//              "Events": [[keyCode, action, delay], ...], ...}, ...]}
//
// Texts are converted as TextCodec.h describes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"
#include "settings/json/Json.h"
#include "settings/json/JsonFields.h"

namespace kelm::json {

Json ProfileToJson(const ProfileRecord& profile);
Json KeyEntryToJson(const MacroKeyInfo& entry);
// [[keyCode, action, delay], ...] for the first count events.
Json EventsToJson(const MacroEvent* events, std::size_t count);
Json TextToJson(std::string_view bytes);

// Builds profile from json. A member that is missing takes its default:
// DefaultProfile of slot 0, and for a key entry the default of its key.
// Keys is absent, holds all 58 entries in key order (KeyIndex, when given,
// must equal the position), or holds fewer entries that each name their
// KeyIndex (the others keep their defaults). Bytes the JSON does not show
// (padding, bytes after a text's end, events past EventCount) are zero.
// On error profile is left as it was.
std::optional<JsonError> ProfileFromJson(const Json& json, ProfileRecord& profile);

// The accepted range of every numeric field, one "  Name  low..high  note"
// line each, for the help text.
std::string DescribeProfileLimits();

}  // namespace kelm::json
