// Recording of a macro from the keys the user presses: from the keyboard
// grab (X keycodes, less 8) or from the recorder's own window where no grab
// can be had. Keys become HID usages, presses of a key already down
// (auto-repeat) are dropped, and each event's delay is the time to the next
// one when delays are captured. Times are the caller's, in milliseconds, so
// the rules run on explicit times.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "settings/SettingsRecord.h"

namespace kelm {

// The usage of a Linux input code (KEY_*); nullopt for a key without a row
// and for mouse buttons, which the keyboard never sends.
std::optional<std::uint8_t> UsageOfInputCode(std::uint16_t inputCode);

class MacroRecorder {
public:
    enum class Result {
        Ignored,   // not recording, a repeat or a key without a usage
        Recorded,  // one event added
        Full,      // one event added, the macro is full and recording stopped
    };

    // Records into the macro's events (past 500 only the first 500 are
    // kept), new events at insertAt (-1 or past the end: at the end). A
    // full macro does not record at all.
    MacroRecorder(std::vector<MacroEvent> events, int insertAt, bool captureDelays);

    Result InputKey(std::uint16_t inputCode, bool released, std::uint32_t timeMs);
    Result UsageKey(std::uint8_t usage, bool released, std::uint32_t timeMs);
    void Stop();

    bool Recording() const { return recording_; }
    bool RecordedAny() const { return recordedAny_; }
    const std::vector<MacroEvent>& Events() const { return events_; }
    // Where the next event would go.
    std::size_t InsertAt() const { return insertAt_; }

private:
    std::vector<MacroEvent> events_;
    std::size_t insertAt_;
    bool captureDelays_;
    bool recording_;
    bool recordedAny_ = false;
    std::uint32_t lastTime_ = 0;
    std::bitset<256> down_;
    // The last key recorded, so that a second release of it in a row is
    // taken for a repeat as well.
    std::optional<std::pair<std::uint8_t, bool>> last_;
};

}  // namespace kelm
