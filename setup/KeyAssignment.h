// A page's choice for a key, stored the way KelmWatch and the keyboard
// expect: the catalogue's fields in the key entry of the current profile,
// the key marked changed for the next Apply, and on the macro-key page the
// DuoLayer pair rule: a standard key that becomes a DuoLayer key disables
// its twin on the other layer (remembering what the twin did), and gives it
// back when it stops being one.
#pragma once

#include <array>
#include <cstdint>

#include "keyboard/KeyFunctions.h"
#include "settings/SettingsRecord.h"

namespace kelm {

// The twins' codes while their standard keys act as DuoLayer keys, one per
// pair and profile: kept together for all profiles, a twin given back in
// one profile would take the code saved in another. Kept while KelmSetup
// runs, never stored.
using DuoLayerBackup = std::array<std::array<std::uint8_t, kDuoLayerPairs.size()>, kProfileCount>;

// Stores command for keyIndex in the current profile of working. False,
// with nothing changed, when no profile is current, the key index is out of
// range or the command stores nothing (see ApplyFunctionCommand).
bool AssignKeyFunction(SettingsRecord& working, int keyIndex, int command, const FunctionCommandData& data,
                       DuoLayerBackup& backup, bool pairRule);

// The rule for the standard key keyIndex of profile after its code changed.
void ApplyDuoLayerPairRule(ProfileRecord& profile, ChangeFlags& flags, int profileIndex, int keyIndex,
                           DuoLayerBackup& backup);

}  // namespace kelm
