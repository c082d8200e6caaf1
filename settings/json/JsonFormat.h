// Prints JSON for people who diff it: one member per line, but an array of
// plain values (a macro event, ModifyKey) on one line, so a profile diff
// shows one changed event as one changed line.
#pragma once

#include <string>

#include "settings/json/Json.h"

namespace kelm::json {

// Two-space indentation, no trailing newline. Strings are written as UTF-8
// with the carried raw bytes (see TextCodec.h) as "\uefXX"; never throws.
std::string FormatJson(const Json& value);

}  // namespace kelm::json
