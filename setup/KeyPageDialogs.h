// What a key-assignment page asks of the user before it stores a choice:
// the window opens the skinned dialogs, tests answer from a script.
#pragma once

#include <optional>
#include <string>

#include "keyboard/KeyFunctions.h"
#include "settings/MacroLibrary.h"
#include "settings/SettingsRecord.h"

namespace kelm {

class IKeyPageDialogs {
public:
    virtual ~IKeyPageDialogs() = default;
    // The shortcut dialog, started on current; nullopt on Cancel or close.
    virtual std::optional<ShortcutChoice> AskShortcut(const ShortcutChoice& current) = 0;
    // The quick-launch dialog, started on current; nullopt on Cancel.
    virtual std::optional<std::string> AskQuickLaunchPath(const std::string& current) = 0;
    // The create-timer dialog: a name new to timers and the seconds;
    // nullopt on Cancel.
    virtual std::optional<TimerRecord> AskNewTimer(const TimerList& timers) = 0;
    // The edit/delete-timer dialog on timers; false on Cancel, with timers
    // as they were.
    virtual bool EditTimers(TimerList& timers) = 0;
    // The macro manager on a copy of library, for a new macro (startSet
    // -1) or on a set, entry's macro preselected: the library as the user
    // left it on OK, nullopt on Cancel. Saving it, or reloading the file
    // after a Cancel, is the caller's.
    virtual std::optional<MacroLibrary> RunMacroManager(const MacroLibrary& library, int startSet,
                                                        const MacroKeyInfo& entry) = 0;
};

}  // namespace kelm
