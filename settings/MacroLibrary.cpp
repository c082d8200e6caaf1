#include "settings/MacroLibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "settings/IniFile.h"
#include "settings/Text.h"

namespace kelm {

namespace {

std::string Number(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", i);
    return text;
}

// A count read from a file, bounded so that a hand-edited number cannot make
// the loader run for ever or allocate without limit.
int BoundedCount(const IniFile& file, std::string_view section, std::string_view key, int limit) {
    return std::clamp(file.ReadInt(section, key, -1), 0, limit);
}

void RepairMacro(MacroEntry& macro) {
    macro.Name[sizeof macro.Name - 1] = '\0';
    macro.EventCount = std::clamp(macro.EventCount, 0, kMaxEvents);
}

constexpr std::string_view kListSection = "SetMacro";

std::string SetSection(const MacroSet& set) { return std::string(Trim(set.Name)); }

// Whether each set has its section to itself. Sections are found by the
// trimmed name without case (line breaks count as blanks), so a set named
// like an earlier one or like the set list's own section would write its
// macros over theirs; such a set keeps its name but stores no macros.
std::vector<bool> OwnSections(const std::vector<MacroSet>& sets) {
    std::vector<std::string> seen;
    std::vector<bool> own;
    for (const MacroSet& set : sets) {
        std::string name = SetSection(set);
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        const bool taken =
            EqualsNoCase(name, kListSection) ||
            std::any_of(seen.begin(), seen.end(), [&](const std::string& s) { return EqualsNoCase(s, name); });
        own.push_back(!taken);
        seen.push_back(std::move(name));
    }
    return own;
}

}  // namespace

void LoadMacroLibrary(MacroLibrary& library, const StoreLocation& where) {
    LoadMacroLibrary(library, IniFile(where.MacroLibraryPath()));
}

void LoadMacroLibrary(MacroLibrary& library, const IniFile& file) {
    library.Sets.clear();
    const int sets = BoundedCount(file, kListSection, "number", kMaxMacroSets);
    for (int i = 0; i < sets; ++i) {
        MacroSet set;
        set.Name = file.ReadString(kListSection, Number(i), "");
        if (set.Name.size() > kMaxSetNameLength) set.Name.resize(kMaxSetNameLength);
        library.Sets.push_back(std::move(set));
    }
    const std::vector<bool> own = OwnSections(library.Sets);
    for (std::size_t s = 0; s < library.Sets.size(); ++s) {
        if (!own[s]) continue;
        MacroSet& set = library.Sets[s];
        const std::string section = SetSection(set);
        const int macros = BoundedCount(file, section, "number", kMaxMacrosPerSet);
        set.Macros.resize(static_cast<std::size_t>(macros));
        for (int i = 0; i < macros; ++i) {
            MacroEntry& macro = set.Macros[static_cast<std::size_t>(i)];
            std::memset(&macro, 0, sizeof macro);
            if (file.ReadStruct(section, Number(i), &macro, sizeof macro)) RepairMacro(macro);
        }
    }
}

bool SaveMacroLibrary(const MacroLibrary& library, const StoreLocation& where) {
    MakeFolders(where.ConfigFolder());
    IniFile file(where.MacroLibraryPath());
    // The library in memory came from this file; one that cannot be read
    // was loaded as empty and must not be replaced by that.
    if (!file.Readable()) return false;
    file.Clear();
    file.WriteInt(kListSection, "number", static_cast<std::int32_t>(library.Sets.size()));
    for (std::size_t i = 0; i < library.Sets.size(); ++i)
        file.WriteString(kListSection, Number(static_cast<int>(i)), library.Sets[i].Name);
    const std::vector<bool> own = OwnSections(library.Sets);
    for (std::size_t s = 0; s < library.Sets.size(); ++s) {
        if (!own[s]) continue;
        const MacroSet& set = library.Sets[s];
        const std::string section = SetSection(set);
        file.WriteInt(section, "number", static_cast<std::int32_t>(set.Macros.size()));
        for (std::size_t i = 0; i < set.Macros.size(); ++i)
            file.WriteStruct(section, Number(static_cast<int>(i)), &set.Macros[i], sizeof(MacroEntry));
    }
    return file.Save();
}

void FreeMacroLibrary(MacroLibrary& library) { library.Sets.clear(); }

MacroSet* FindSet(MacroLibrary& library, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= library.Sets.size()) return nullptr;
    return &library.Sets[static_cast<std::size_t>(index)];
}

MacroEntry* FindMacro(MacroLibrary& library, int setIndex, int macroIndex) {
    MacroSet* set = FindSet(library, setIndex);
    if (set == nullptr || macroIndex < 0 || static_cast<std::size_t>(macroIndex) >= set->Macros.size()) return nullptr;
    return &set->Macros[static_cast<std::size_t>(macroIndex)];
}

MacroMatch FindMacroForKey(const MacroLibrary& library, const MacroKeyInfo& entry) {
    MacroMatch match;
    const std::string_view setName = Trim(FieldText(entry.MacroSetName));
    const std::string_view macroName = Trim(FieldText(entry.MacroName));
    for (std::size_t s = 0; s < library.Sets.size(); ++s) {
        const MacroSet& set = library.Sets[s];
        if (!EqualsNoCase(Trim(set.Name), setName)) continue;
        match.SetIndex = static_cast<int>(s);
        for (std::size_t m = 0; m < set.Macros.size(); ++m) {
            const MacroEntry& macro = set.Macros[m];
            if (!EqualsNoCase(Trim(FieldText(macro.Name)), macroName)) continue;
            match.MacroIndex = static_cast<int>(m);
            const int count = std::min<int>(entry.EventCount, kMaxEvents);
            match.Identical = macro.EventCount == entry.EventCount &&
                              std::memcmp(macro.Events, entry.Events, sizeof(MacroEvent) * count) == 0;
            return match;
        }
        return match;
    }
    return match;
}

bool AddMacroFromKey(MacroLibrary& library, const MacroKeyInfo& entry, int setIndex) {
    MacroSet* set = FindSet(library, setIndex);
    if (set == nullptr) {
        if (library.Sets.size() >= kMaxMacroSets) return false;
        library.Sets.push_back(MacroSet{std::string(FieldText(entry.MacroSetName)), {}});
        set = &library.Sets.back();
    }
    if (set->Macros.size() >= kMaxMacrosPerSet) return false;
    MacroEntry macro;
    std::memset(&macro, 0, sizeof macro);
    CopyField(macro.Name, FieldText(entry.MacroName));
    macro.MacroOption = entry.MacroOption;
    macro.EventCount = std::min<int>(entry.EventCount, kMaxEvents);
    std::memcpy(macro.Events, entry.Events, sizeof(MacroEvent) * static_cast<std::size_t>(macro.EventCount));
    set->Macros.push_back(macro);
    return true;
}

void SyncLibraryFromProfiles(MacroLibrary& library, const SettingsRecord& record) {
    for (const ProfileRecord& profile : record.Profiles) {
        for (int k = 0; k < kMacroCapableKeys; ++k) {
            const MacroKeyInfo& entry = profile.Keys[k];
            if (entry.FunctionCode != kFnMacro || FieldText(entry.MacroSetName).empty()) continue;
            const MacroMatch match = FindMacroForKey(library, entry);
            if (match.SetIndex < 0 || match.MacroIndex < 0) {
                AddMacroFromKey(library, entry, match.SetIndex);
            } else if (!match.Identical) {
                MacroEntry& macro = *FindMacro(library, match.SetIndex, match.MacroIndex);
                macro.EventCount = std::min<int>(entry.EventCount, kMaxEvents);
                macro.MacroOption = entry.MacroOption;
                std::memset(macro.Events, 0, sizeof macro.Events);
                std::memcpy(macro.Events, entry.Events,
                            sizeof(MacroEvent) * static_cast<std::size_t>(macro.EventCount));
            }
        }
    }
}

void LoadTimers(TimerList& timers, const StoreLocation& where) { LoadTimers(timers, IniFile(where.TimerPath())); }

void LoadTimers(TimerList& timers, const IniFile& file) {
    timers.clear();
    const int count = BoundedCount(file, "Timer", "Count", kMaxTimers);
    for (int i = 0; i < count; ++i) {
        TimerRecord timer;
        std::memset(&timer, 0, sizeof timer);
        if (file.ReadStruct("Timer", Number(i), &timer, sizeof timer))
            timer.TimerName[sizeof timer.TimerName - 1] = '\0';
        timers.push_back(timer);
    }
}

bool SaveTimers(const TimerList& timers, const StoreLocation& where) {
    MakeFolders(where.ConfigFolder());
    IniFile file(where.TimerPath());
    if (!file.Readable()) return false;  // as for the macro library
    file.Clear();
    file.WriteInt("Timer", "Count", static_cast<std::int32_t>(timers.size()));
    for (std::size_t i = 0; i < timers.size(); ++i)
        file.WriteStruct("Timer", Number(static_cast<int>(i)), &timers[i], sizeof(TimerRecord));
    return file.Save();
}

TimerRecord* FindTimer(TimerList& timers, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= timers.size()) return nullptr;
    return &timers[static_cast<std::size_t>(index)];
}

std::optional<int> FindTimerByName(const TimerList& timers, std::string_view name) {
    name = Trim(name);
    for (std::size_t i = 0; i < timers.size(); ++i)
        if (EqualsNoCase(Trim(FieldText(timers[i].TimerName)), name)) return static_cast<int>(i);
    return std::nullopt;
}

bool CreateTimer(TimerList& timers, const StoreLocation& where, std::int32_t seconds, std::string_view name) {
    // Compared as it will be stored, so that two long names cut to the same
    // text do not become two timers of one name.
    name = Trim(name);
    name = Trim(name.substr(0, sizeof(TimerRecord::TimerName) - 1));
    if (name.empty() || FindTimerByName(timers, name) || timers.size() >= kMaxTimers) return false;
    TimerRecord timer;
    std::memset(&timer, 0, sizeof timer);
    timer.TimerSeconds = seconds;
    CopyField(timer.TimerName, name);
    timers.push_back(timer);
    return SaveTimers(timers, where);
}

}  // namespace kelm
