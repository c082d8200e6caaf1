// What the two timer dialogs do to the timer list, apart from their windows:
// the create-timer dialog's OK, and the edit/delete-timer dialog's choosing,
// Save and Delete on a copy of the list that becomes the list only on OK.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "settings/MacroLibrary.h"

namespace kelm {

inline constexpr int kTimerNameMaxCharacters = 24;
inline constexpr int kTimerMinSeconds = 10;
inline constexpr int kTimerMaxSeconds = 999;

enum class TimerProblem {
    None,
    EmptyName,
    NameTooLong,  // more than kTimerNameMaxCharacters characters
    NameTaken,    // another timer has the name, ignoring case and outer blanks
    SecondsOutOfRange,
    ListFull,      // kMaxTimers timers exist
    NoTimerShown,  // Save before a timer is chosen
};

// The create-timer dialog's OK: the timer to append to timers, with the
// name trimmed, is written to made; any problem keeps the dialog open and
// leaves made as it was.
TimerProblem MakeNewTimer(const TimerList& timers, std::string_view name, int seconds, TimerRecord& made);

class TimerEditor {
public:
    explicit TimerEditor(TimerList timers) : timers_(std::move(timers)) {}

    const TimerList& Timers() const { return timers_; }

    // The timer whose name and seconds the dialog shows; -1 for none.
    int Shown() const { return shown_; }
    // An index outside the list shows none.
    void Show(int index);
    // "" and kTimerMinSeconds while none is shown.
    std::string ShownName() const;
    int ShownSeconds() const;

    // The shown timer's own name (trimmed, ignoring case) changes only its
    // seconds; a name no timer has renames it as well; another timer's name
    // changes nothing. A name or a number of seconds the shown timer already
    // has is kept even where a new one could not be made (a hand-edited
    // file), so that saving unchanged fields never alters the timer.
    TimerProblem Save(std::string_view name, int seconds);
    // Removes the shown timer, after which none is shown; false when none
    // is shown.
    bool Delete();

private:
    TimerList timers_;
    int shown_ = -1;
};

}  // namespace kelm
