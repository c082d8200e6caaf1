#include "setup/TimerEdits.h"

#include <algorithm>
#include <cstring>

#include "settings/Text.h"

namespace kelm {

namespace {

// The fields hold UTF-8: a character is every byte that does not continue
// one.
std::size_t CharacterCount(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool SecondsInRange(int seconds) { return seconds >= kTimerMinSeconds && seconds <= kTimerMaxSeconds; }

// A name a timer may newly take, already trimmed.
TimerProblem CheckNewName(const TimerList& timers, std::string_view name) {
    if (name.empty()) return TimerProblem::EmptyName;
    if (CharacterCount(name) > static_cast<std::size_t>(kTimerNameMaxCharacters)) return TimerProblem::NameTooLong;
    if (FindTimerByName(timers, name)) return TimerProblem::NameTaken;
    return TimerProblem::None;
}

void SetName(TimerRecord& timer, std::string_view name) { CopyField(timer.TimerName, name); }

}  // namespace

TimerProblem MakeNewTimer(const TimerList& timers, std::string_view name, int seconds, TimerRecord& made) {
    if (timers.size() >= static_cast<std::size_t>(kMaxTimers)) return TimerProblem::ListFull;
    name = Trim(name);
    if (const TimerProblem problem = CheckNewName(timers, name); problem != TimerProblem::None) return problem;
    if (!SecondsInRange(seconds)) return TimerProblem::SecondsOutOfRange;
    std::memset(&made, 0, sizeof made);
    made.TimerSeconds = seconds;
    SetName(made, name);
    return TimerProblem::None;
}

void TimerEditor::Show(int index) {
    shown_ = index >= 0 && static_cast<std::size_t>(index) < timers_.size() ? index : -1;
}

std::string TimerEditor::ShownName() const {
    return shown_ < 0 ? std::string() : std::string(FieldText(timers_[static_cast<std::size_t>(shown_)].TimerName));
}

int TimerEditor::ShownSeconds() const {
    return shown_ < 0 ? kTimerMinSeconds : timers_[static_cast<std::size_t>(shown_)].TimerSeconds;
}

TimerProblem TimerEditor::Save(std::string_view name, int seconds) {
    if (shown_ < 0) return TimerProblem::NoTimerShown;
    TimerRecord& timer = timers_[static_cast<std::size_t>(shown_)];
    name = Trim(name);
    // Its own name first: a file may hold two timers of one name, and the
    // second must still be able to keep its name.
    const bool ownName = EqualsNoCase(Trim(FieldText(timer.TimerName)), name);
    if (!ownName)
        if (const TimerProblem problem = CheckNewName(timers_, name); problem != TimerProblem::None) return problem;
    if (seconds != timer.TimerSeconds && !SecondsInRange(seconds)) return TimerProblem::SecondsOutOfRange;
    if (!ownName) SetName(timer, name);
    timer.TimerSeconds = seconds;
    return TimerProblem::None;
}

bool TimerEditor::Delete() {
    if (shown_ < 0) return false;
    timers_.erase(timers_.begin() + shown_);
    shown_ = -1;
    return true;
}

}  // namespace kelm
