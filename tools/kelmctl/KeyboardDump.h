// What `kelmctl keyboard dump` reads: everything the keyboard holds, read
// with the monitor's own read-back sequence, without changing the keyboard
// and without touching a settings file.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "keyboard/Clock.h"
#include "keyboard/FeatureDevice.h"
#include "settings/SettingsRecord.h"
#include "settings/json/Json.h"

namespace kelm::ctl {

using json::Json;

struct KeyboardContents {
    int FWVersion = 0;
    // CurrentProfile as the keyboard names it, -1 when it named none of
    // 0..4. The profiles hold what the keyboard keeps; the fields that live
    // only in the settings files (names, game files, key repeat, sounds,
    // timers, quick launch) hold the defaults of their slot.
    std::unique_ptr<SettingsRecord> record;
};

// Reads the whole keyboard; progress, when given, gets a line per report.
// The keyboard's values are read over contents.record when it holds one (as
// KelmWatch reads them over the settings files), else over the defaults.
// A dump is whole or nothing: false, with the reason in error, when any
// report could not be read.
bool ReadKeyboard(IFeatureDevice& keyboard, IClock& clock, std::ostream* progress, KeyboardContents& contents,
                  std::string& error);

// {"FWVersion", "CurrentProfile", "Profiles": [five profiles as ProfileJson.h shows them]}
Json KeyboardToJson(const KeyboardContents& contents);

}  // namespace kelm::ctl
