// The change flags of a record in words, for telling the user what an apply
// asks KelmWatch to send to the keyboard.
#pragma once

#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"

namespace kelm::ctl {

// Key index 0..57 by the name the key pages give it: "M1", "EM1" (its
// DuoLayer twin), the Hot Grid keys "1".."5" and "Q".."B", "T1", "ET1",
// "F1".."F12", "MM1".."MM8", "CapsLk", "ECapsLk"; "?" outside 0..57.
std::string_view KeyName(int keyIndex);

// KeyChanged of every key entry whose bytes differ between the two
// records: set to 1, or 0 where the entries are the same.
void MarkChangedKeys(const SettingsRecord& applied, SettingsRecord& working);

// "current profile, Profile 2 keys F1 F5, Profile 2 light": the set flags
// with profiles numbered as the user sees them, 1..5; "nothing" when none
// is set. A profile whose keys are all flagged reads "all keys".
std::string DescribeChangeFlags(const ChangeFlags& flags);

}  // namespace kelm::ctl
