#include "setup/MacroRecorder.h"

#include <algorithm>
#include <limits>

#include "keyboard/KeyCodes.h"

namespace kelm {

namespace {

// The table's rows for keys, without the mouse buttons: a keyboard never
// sends those, and a key must not turn into a click when played.
bool IsKeyRow(const KeyCodeRow& row) { return row.code >= 0x04 && row.code <= 0xE7; }

constexpr std::uint32_t kMaxDelay = std::numeric_limits<std::uint16_t>::max();

// Server times wrap after 49 days, so the difference is taken modulo 2^32;
// one of more than half the range is a clock that went back, not a pause.
std::uint16_t Elapsed(std::uint32_t from, std::uint32_t to) {
    const std::uint32_t elapsed = to - from;
    if (elapsed > std::numeric_limits<std::uint32_t>::max() / 2) return 0;
    return static_cast<std::uint16_t>(std::min(elapsed, kMaxDelay));
}

}  // namespace

std::optional<std::uint8_t> UsageOfInputCode(std::uint16_t inputCode) {
    for (const KeyCodeRow& row : kKeyCodeTable)
        if (IsKeyRow(row) && row.inputCode == inputCode) return row.code;
    return std::nullopt;
}

MacroRecorder::MacroRecorder(std::vector<MacroEvent> events, int insertAt, bool captureDelays)
    : events_(std::move(events)), captureDelays_(captureDelays) {
    if (events_.size() > static_cast<std::size_t>(kMaxEvents)) events_.resize(kMaxEvents);
    insertAt_ = insertAt < 0 ? events_.size() : std::min(static_cast<std::size_t>(insertAt), events_.size());
    recording_ = events_.size() < static_cast<std::size_t>(kMaxEvents);
}

MacroRecorder::Result MacroRecorder::InputKey(std::uint16_t inputCode, bool released, std::uint32_t timeMs) {
    const auto usage = UsageOfInputCode(inputCode);
    if (!usage) return Result::Ignored;
    return UsageKey(*usage, released, timeMs);
}

MacroRecorder::Result MacroRecorder::UsageKey(std::uint8_t usage, bool released, std::uint32_t timeMs) {
    if (!recording_) return Result::Ignored;
    const bool known = std::any_of(kKeyCodeTable.begin(), kKeyCodeTable.end(),
                                   [usage](const KeyCodeRow& row) { return IsKeyRow(row) && row.code == usage; });
    if (!known) return Result::Ignored;
    if (last_ == std::pair{usage, released}) return Result::Ignored;
    if (!released && down_.test(usage)) return Result::Ignored;
    down_.set(usage, !released);

    // The pause belongs to the event before the new one: what the player
    // waits after it.
    if (captureDelays_ && recordedAny_ && insertAt_ > 0) events_[insertAt_ - 1].Delay = Elapsed(lastTime_, timeMs);
    const MacroEvent event{usage, released ? kActionRelease : kActionPress, 0};
    events_.insert(events_.begin() + static_cast<std::ptrdiff_t>(insertAt_), event);
    ++insertAt_;
    lastTime_ = timeMs;
    recordedAny_ = true;
    last_ = std::pair{usage, released};
    if (events_.size() < static_cast<std::size_t>(kMaxEvents)) return Result::Recorded;
    Stop();
    return Result::Full;
}

void MacroRecorder::Stop() {
    recording_ = false;
    down_.reset();
    last_.reset();
}

}  // namespace kelm
