// The macro library (config/Preset_sequence.dat): named macro sets, each
// an ordered list of named macros, from which macros are copied into keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"

namespace kelm {

class IniFile;

inline constexpr int kMaxMacroSets = 100;
inline constexpr int kMaxMacrosPerSet = 100;
inline constexpr std::size_t kMaxSetNameLength = 199;

// One macro as the file stores it, 2060 bytes.
struct MacroEntry {
    char Name[52];
    std::int32_t MacroOption;
    std::int32_t EventCount;
    MacroEvent Events[kMaxEvents];
};
static_assert(sizeof(MacroEntry) == 2060);
static_assert(offsetof(MacroEntry, MacroOption) == 52);
static_assert(offsetof(MacroEntry, EventCount) == 56);
static_assert(offsetof(MacroEntry, Events) == 60);

struct MacroSet {
    std::string Name;  // as entered; its section is the name trimmed
    std::vector<MacroEntry> Macros;
};

struct MacroLibrary {
    std::vector<MacroSet> Sets;
};

struct MacroMatch {
    int SetIndex = -1;
    int MacroIndex = -1;
    bool Identical = false;
};

// Reads the library; missing files and keys give an empty library, a
// damaged macro an empty one of that place, counts beyond the limits
// are ignored.
void LoadMacroLibrary(MacroLibrary& library, const StoreLocation& where);
void LoadMacroLibrary(MacroLibrary& library, const IniFile& file);
// Rewrites the whole file so that removed sets and macros disappear. A set
// whose section another set (or the set list) already uses is saved by name
// only, so that it cannot overwrite their keys; loading treats it alike.
bool SaveMacroLibrary(const MacroLibrary& library, const StoreLocation& where);
void FreeMacroLibrary(MacroLibrary& library);

MacroSet* FindSet(MacroLibrary& library, int index);
MacroEntry* FindMacro(MacroLibrary& library, int setIndex, int macroIndex);

// Looks the key's macro up by set and macro name, trimmed and ignoring case.
MacroMatch FindMacroForKey(const MacroLibrary& library, const MacroKeyInfo& entry);
// Adds the key's macro to set setIndex, or to a new set named by the key
// when setIndex is -1. False when the library is full.
bool AddMacroFromKey(MacroLibrary& library, const MacroKeyInfo& entry, int setIndex);
// Brings the library in line with the macros the five profiles carry.
void SyncLibraryFromProfiles(MacroLibrary& library, const SettingsRecord& record);

// config/Timer.ini: the countdown timers keys can start.
inline constexpr int kMaxTimers = 50;

struct TimerRecord {
    std::int32_t TimerSeconds;
    char TimerName[100];
};
static_assert(sizeof(TimerRecord) == 104);

using TimerList = std::vector<TimerRecord>;

void LoadTimers(TimerList& timers, const StoreLocation& where);
void LoadTimers(TimerList& timers, const IniFile& file);
bool SaveTimers(const TimerList& timers, const StoreLocation& where);
TimerRecord* FindTimer(TimerList& timers, int index);
// Index of the first timer whose trimmed name equals name, trimmed too,
// ignoring case.
std::optional<int> FindTimerByName(const TimerList& timers, std::string_view name);
// The timer dialog's create step: the trimmed name must be new and not
// empty and the list not full; then the timer is appended and saved.
bool CreateTimer(TimerList& timers, const StoreLocation& where, std::int32_t seconds, std::string_view name);

}  // namespace kelm
