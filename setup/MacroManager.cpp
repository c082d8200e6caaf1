#include "setup/MacroManager.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "settings/Text.h"

namespace kelm {

namespace {

// The macro file's list of set names is a section of this name; a set of
// the same name would have its macros read from the list.
constexpr std::string_view kListSectionName = "SetMacro";

constexpr int kMaxRepeat = 255;

MacroError CheckName(std::string_view trimmed) {
    if (trimmed.empty()) return MacroError::EmptyName;
    if (trimmed.size() > kMaxMacroNameLength) return MacroError::NameTooLong;
    // A line break or other control character would split the file's line.
    if (std::any_of(trimmed.begin(), trimmed.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return MacroError::BadCharacter;
    return MacroError::None;
}

std::string_view MacroNameOf(const MacroEntry& macro) { return Trim(FieldText(macro.Name)); }

// Index of the first macro of set, other than except, named name (trimmed,
// ignoring case), or -1.
const MacroSet* SetAt(const MacroLibrary& library, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < library.Sets.size()
               ? &library.Sets[static_cast<std::size_t>(index)]
               : nullptr;
}

int FindMacroNamed(const MacroSet& set, std::string_view name, int except) {
    for (std::size_t m = 0; m < set.Macros.size(); ++m)
        if (static_cast<int>(m) != except && EqualsNoCase(MacroNameOf(set.Macros[m]), name)) return static_cast<int>(m);
    return -1;
}

}  // namespace

MacroManager::MacroManager(MacroLibrary library) : library_(std::move(library)) {}

bool MacroManager::Start(int startSet, const MacroKeyInfo& entry) {
    set_ = macro_ = -1;
    if (library_.Sets.empty()) return true;
    if (startSet < 0) return false;
    const bool hasMacro = entry.FunctionCode == kFnMacro;
    if (hasMacro) startMacroName_ = std::string(Trim(FieldText(entry.MacroName)));
    const MacroMatch match = hasMacro ? FindMacroForKey(library_, entry) : MacroMatch{};
    if (match.SetIndex >= 0 && match.MacroIndex >= 0) {
        set_ = match.SetIndex;
        LoadMacro(match.MacroIndex);
    } else {
        SelectSet(startSet);
    }
    return false;
}

const MacroEntry* MacroManager::Macro() const {
    const MacroSet* set = SetAt(library_, set_);
    if (set == nullptr || macro_ < 0 || static_cast<std::size_t>(macro_) >= set->Macros.size()) return nullptr;
    return &set->Macros[static_cast<std::size_t>(macro_)];
}

MacroEntry* MacroManager::EditedMacro() { return FindMacro(library_, set_, macro_); }
MacroSet* MacroManager::EditedSet() { return FindSet(library_, set_); }

std::vector<std::string> MacroManager::MacroNames() const {
    std::vector<std::string> names;
    if (const MacroSet* set = SetAt(library_, set_))
        for (const MacroEntry& macro : set->Macros) names.emplace_back(FieldText(macro.Name));
    return names;
}

void MacroManager::LoadMacro(int row) {
    macro_ = FindMacro(library_, set_, row) != nullptr ? row : -1;
    const MacroEntry* macro = EditedMacro();
    const std::int32_t option = macro != nullptr ? macro->MacroOption : 0;
    repeatCount_ = std::clamp(option, 1, kMaxRepeat);
    // Off is stored as 1, so only a count above 1 means the switch was on;
    // reading "not 0" as on would turn the switch back on at every visit.
    repeatOn_ = option > 1;
    timeline_ = timelineShown_ && macro != nullptr ? StrokesFromEvents(EventsOf(*macro)) : MacroTimeline{};
}

void MacroManager::LeaveMacro() {
    MacroEntry* macro = EditedMacro();
    if (timelineShown_ && macro != nullptr) ReplaceEvents(*macro, EventsFromStrokes(timeline_.strokes));
}

MacroError MacroManager::SelectSet(int index) {
    if (Recording()) return MacroError::Recording;
    if (SetAt(library_, index) == nullptr) return MacroError::NotAllowed;
    LeaveMacro();
    ChooseSet(index);
    return MacroError::None;
}

void MacroManager::ChooseSet(int index) {
    set_ = SetAt(library_, index) != nullptr ? index : -1;
    const MacroSet* set = SetAt(library_, set_);
    const int named = set != nullptr ? FindMacroNamed(*set, startMacroName_, -1) : -1;
    LoadMacro(named >= 0 ? named : 0);
}

MacroError MacroManager::RenameChecks(std::string_view name, int exceptSet) const {
    if (const MacroError error = CheckName(name); error != MacroError::None) return error;
    if (EqualsNoCase(name, kListSectionName)) return MacroError::ReservedName;
    for (std::size_t s = 0; s < library_.Sets.size(); ++s)
        if (static_cast<int>(s) != exceptSet && EqualsNoCase(Trim(library_.Sets[s].Name), name))
            return MacroError::DuplicateName;
    return MacroError::None;
}

MacroError MacroManager::AddSet(std::string_view name) {
    if (Recording()) return MacroError::Recording;
    if (library_.Sets.size() >= kMaxMacroSets) return MacroError::Full;
    name = Trim(name);
    if (const MacroError error = RenameChecks(name, -1); error != MacroError::None) return error;
    library_.Sets.push_back(MacroSet{std::string(name), {}});
    return SelectSet(static_cast<int>(library_.Sets.size()) - 1);
}

MacroError MacroManager::DeleteSet() {
    if (Recording()) return MacroError::Recording;
    if (EditedSet() == nullptr) return MacroError::NoSet;
    library_.Sets.erase(library_.Sets.begin() + set_);
    ChooseSet(std::min(set_, static_cast<int>(library_.Sets.size()) - 1));
    return MacroError::None;
}

MacroError MacroManager::RenameSet(std::string_view name) {
    if (Recording()) return MacroError::Recording;
    MacroSet* set = EditedSet();
    if (set == nullptr) return MacroError::NoSet;
    name = Trim(name);
    // The set itself is left out, so a change of case alone is a rename.
    if (const MacroError error = RenameChecks(name, set_); error != MacroError::None) return error;
    set->Name = std::string(name);
    return MacroError::None;
}

MacroError MacroManager::NewMacro() const {
    if (Recording()) return MacroError::Recording;
    const MacroSet* set = SetAt(library_, set_);
    if (set == nullptr) return MacroError::NoSet;
    if (set->Macros.size() >= kMaxMacrosPerSet) return MacroError::Full;
    return MacroError::None;
}

MacroError MacroManager::FinishNewRow(std::optional<std::string_view> text) {
    if (const MacroError error = NewMacro(); error != MacroError::None) return error;
    if (!text) return MacroError::None;
    const std::string_view name = Trim(*text);
    if (const MacroError error = CheckName(name); error != MacroError::None) return error;
    MacroSet& set = *EditedSet();
    if (FindMacroNamed(set, name, -1) >= 0) return MacroError::DuplicateName;
    LeaveMacro();
    MacroEntry macro;
    std::memset(&macro, 0, sizeof macro);
    CopyField(macro.Name, name);
    set.Macros.push_back(macro);
    LoadMacro(static_cast<int>(set.Macros.size()) - 1);
    return MacroError::None;
}

MacroError MacroManager::FinishRowEdit(int row, std::optional<std::string_view> text) {
    if (Recording()) return MacroError::Recording;
    MacroEntry* macro = FindMacro(library_, set_, row);
    if (macro == nullptr) return MacroError::NotAllowed;
    if (!text) return MacroError::None;
    const std::string_view name = Trim(*text);
    if (const MacroError error = CheckName(name); error != MacroError::None) return error;
    if (FindMacroNamed(*EditedSet(), name, row) >= 0) return MacroError::DuplicateName;
    CopyField(macro->Name, name);
    return MacroError::None;
}

MacroError MacroManager::DeleteMacro() {
    if (Recording()) return MacroError::Recording;
    MacroSet* set = EditedSet();
    if (set == nullptr) return MacroError::NoSet;
    if (EditedMacro() == nullptr) return MacroError::NoMacro;
    set->Macros.erase(set->Macros.begin() + macro_);
    LoadMacro(std::min(macro_, static_cast<int>(set->Macros.size()) - 1));
    return MacroError::None;
}

MacroError MacroManager::SelectMacro(int row) {
    if (Recording()) return MacroError::Recording;
    if (FindMacro(library_, set_, row) == nullptr) return MacroError::NotAllowed;
    LeaveMacro();
    LoadMacro(row);
    return MacroError::None;
}

std::vector<MacroListRow> MacroManager::Rows() const {
    const MacroEntry* macro = Macro();
    return macro != nullptr ? MacroListRows(*macro) : std::vector<MacroListRow>{};
}

MacroError MacroManager::EditableMacro() const {
    if (Recording()) return MacroError::Recording;
    if (SetAt(library_, set_) == nullptr) return MacroError::NoSet;
    if (Macro() == nullptr) return MacroError::NoMacro;
    return MacroError::None;
}

MacroError MacroManager::ListMenuAllowed() const { return EditableMacro(); }

MacroError MacroManager::OnListMenuCommand(int command, int row) {
    if (const MacroError error = EditableMacro(); error != MacroError::None) return error;
    // The timeline holds the events while shown and would write over a change.
    if (timelineShown_) return MacroError::NotAllowed;
    MacroEntry& macro = *EditedMacro();
    const std::vector<MacroListRow> rows = MacroListRows(macro);
    const bool hasRow = row >= 0 && static_cast<std::size_t>(row) < rows.size();
    const MacroListRow picked = hasRow ? rows[static_cast<std::size_t>(row)] : MacroListRow{-1, false};
    switch (command) {
        case kRecordBeforeCommand:
            return StartRecording(picked.event);
        case kRecordAfterCommand:
            return StartRecording(hasRow ? picked.event + 1 : -1);
        case kInsertDelayCommand:
            if (!hasRow || picked.delay || picked.event == 0 || macro.Events[picked.event - 1].Delay != 0)
                return MacroError::NotAllowed;
            macro.Events[picked.event - 1].Delay = 1;
            return MacroError::None;
        case kEditDelayCommand:
            return hasRow && picked.delay ? MacroError::None : MacroError::NotAllowed;
        case kDeleteRowCommand:
            if (!hasRow) return MacroError::NotAllowed;
            if (picked.delay)
                macro.Events[picked.event].Delay = 0;
            else
                RemoveEvent(macro, picked.event);
            return MacroError::None;
        default:
            return InsertMouseEvent(command, picked.event);
    }
}

MacroError MacroManager::InsertMouseEvent(int command, int event) {
    if (command < kFirstMouseCommand || command > kLastMouseCommand) return MacroError::NotAllowed;
    const int step = command - kFirstMouseCommand;
    const auto key = static_cast<std::uint8_t>(0xF0 + step / 3);
    const MacroEvent press{key, kActionPress, 0};
    const MacroEvent release{key, kActionRelease, 0};
    const MacroEvent click[] = {press, release};
    const std::span<const MacroEvent> added = step % 3 == 0   ? std::span<const MacroEvent>(&press, 1)
                                              : step % 3 == 1 ? std::span<const MacroEvent>(&release, 1)
                                                              : std::span<const MacroEvent>(click);
    return InsertEvents(*EditedMacro(), event, added) ? MacroError::None : MacroError::Full;
}

MacroError MacroManager::FinishDelayEdit(int row, std::string_view text) {
    if (const MacroError error = EditableMacro(); error != MacroError::None) return error;
    if (timelineShown_) return MacroError::NotAllowed;
    MacroEntry& macro = *EditedMacro();
    const std::vector<MacroListRow> rows = MacroListRows(macro);
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size() || !rows[static_cast<std::size_t>(row)].delay)
        return MacroError::NotAllowed;
    macro.Events[rows[static_cast<std::size_t>(row)].event].Delay = DelayFromText(text);
    return MacroError::None;
}

void MacroManager::WriteRepeat() {
    if (MacroEntry* macro = EditedMacro()) macro->MacroOption = repeatOn_ ? repeatCount_ : 1;
}

void MacroManager::SetRepeatOn(bool on) {
    repeatOn_ = on;
    WriteRepeat();
}

int MacroManager::FinishRepeatEdit(std::string_view text) {
    repeatCount_ = RepeatCountFromText(text);
    WriteRepeat();
    return repeatCount_;
}

MacroError MacroManager::StartRecording(int insertBefore) {
    if (const MacroError error = EditableMacro(); error != MacroError::None) return error;
    if (timelineShown_) return MacroError::NotAllowed;
    const std::span<const MacroEvent> events = EventsOf(*Macro());
    recorder_.emplace(std::vector<MacroEvent>(events.begin(), events.end()), insertBefore, delayCapture_);
    if (recorder_->Recording()) return MacroError::None;
    recorder_.reset();
    return MacroError::Full;
}

MacroRecorder::Result MacroManager::RecordKey(std::uint16_t inputCode, bool released, std::uint32_t timeMs) {
    MacroEntry* macro = EditedMacro();
    if (!recorder_ || macro == nullptr) return MacroRecorder::Result::Ignored;
    const MacroRecorder::Result result = recorder_->InputKey(inputCode, released, timeMs);
    if (result != MacroRecorder::Result::Ignored) ReplaceEvents(*macro, recorder_->Events());
    if (result == MacroRecorder::Result::Full) StopRecording();
    return result;
}

MacroError MacroManager::SwitchEditor() {
    if (Recording()) return MacroError::Recording;
    if (timelineShown_) {
        LeaveMacro();
        timelineShown_ = false;
        timeline_ = {};
    } else {
        timelineShown_ = true;
        LoadMacro(macro_);
    }
    return MacroError::None;
}

MacroLibrary MacroManager::Finish() && {
    StopRecording();
    LeaveMacro();
    return std::move(library_);
}

bool AcceptMacroManager(MacroManager&& manager, MacroLibrary& library, const StoreLocation& where) {
    library = std::move(manager).Finish();
    return SaveMacroLibrary(library, where);
}

void CancelMacroManager(MacroLibrary& library, const StoreLocation& where) {
    FreeMacroLibrary(library);
    LoadMacroLibrary(library, where);
}

}  // namespace kelm
