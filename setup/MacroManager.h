// The macro manager dialog without its widgets: the set selector, the macro
// list, the event-list editor with recording, and the timeline editor, all
// on a copy of the library. OK hands the copy back to be saved; Cancel
// drops it and reloads the file, so nothing of the dialog survives.
//
// Every command answers with a MacroError; the dialog shows a notice for
// the ones that need one and otherwise just refreshes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/MacroLibrary.h"
#include "setup/MacroEventList.h"
#include "setup/MacroRecorder.h"
#include "setup/MacroTimeline.h"

namespace kelm {

enum class MacroError {
    None,
    NoSet,          // no set selected
    NoMacro,        // no macro selected
    Full,           // 100 sets, 100 macros or 500 events
    EmptyName,      // blank after trimming
    NameTooLong,    // more than kMaxMacroNameLength characters after trimming
    BadCharacter,   // a control character, which the file cannot hold
    DuplicateName,  // another set or macro has it, trimmed and ignoring case
    ReservedName,   // the file's own list section: the set's macros would be lost
    NotAllowed,     // the command does not apply to that row
    Recording,      // the other controls are off while recording
};

// Set and macro names are cut to 24 characters by the keyboard; a longer
// name would not find its set again when the keyboard's settings come back.
inline constexpr std::size_t kMaxMacroNameLength = 24;

// Menu commands of the set selector and the event list.
inline constexpr int kSelectSetCommand = 2000;  // + set index
inline constexpr int kAddSetCommand = 2998;
inline constexpr int kDeleteSetCommand = 2999;
inline constexpr int kRenameSetCommand = 3000;
inline constexpr int kRecordBeforeCommand = 1001;
inline constexpr int kRecordAfterCommand = 1002;
inline constexpr int kInsertDelayCommand = 1003;
inline constexpr int kEditDelayCommand = 1004;
inline constexpr int kDeleteRowCommand = 1005;
inline constexpr int kFirstMouseCommand = 1020;  // Down, Up, Click for 0xF0 .. 0xF4
inline constexpr int kLastMouseCommand = 1034;

class MacroManager {
public:
    explicit MacroManager(MacroLibrary library);

    // The dialog's start: startSet is -1 for a new macro; entry preselects
    // its macro. True when the library is empty and the dialog should ask
    // for a first set at once.
    bool Start(int startSet, const MacroKeyInfo& entry);

    const MacroLibrary& Library() const { return library_; }
    int SelectedSet() const { return set_; }
    int SelectedMacro() const { return macro_; }
    // The selected macro, or nullptr.
    const MacroEntry* Macro() const;
    std::vector<std::string> MacroNames() const;

    // Set selector. The dialog asks for confirmation or a name first.
    MacroError SelectSet(int index);
    MacroError AddSet(std::string_view name);
    MacroError DeleteSet();
    MacroError RenameSet(std::string_view name);

    // Macro list. NewMacro says whether a new row may be opened; the end of
    // its editing comes as FinishNewRow (nullopt: Escape), a row's rename
    // as FinishRowEdit (nullopt: Escape).
    MacroError NewMacro() const;
    MacroError FinishNewRow(std::optional<std::string_view> text);
    MacroError FinishRowEdit(int row, std::optional<std::string_view> text);
    MacroError DeleteMacro();
    MacroError SelectMacro(int row);

    // Event-list editor on the selected macro; rows are those of Rows().
    std::vector<MacroListRow> Rows() const;
    // Whether the list menu may open (NoSet, NoMacro, Recording or None).
    MacroError ListMenuAllowed() const;
    // A list menu command on row (-1: none); kEditDelayCommand only checks
    // that the row is a delay, whose text then comes to FinishDelayEdit.
    MacroError OnListMenuCommand(int command, int row);
    MacroError FinishDelayEdit(int row, std::string_view text);

    bool RepeatOn() const { return repeatOn_; }
    int RepeatCount() const { return repeatCount_; }
    void SetRepeatOn(bool on);
    // The field's text on losing focus; returns the count it now shows.
    int FinishRepeatEdit(std::string_view text);

    bool DelayCapture() const { return delayCapture_; }
    void SetDelayCapture(bool on) { delayCapture_ = on; }

    // Recording into the selected macro before event insertBefore (-1: at
    // the end). The caller grabs the keys after a start and lets them go
    // when a key answers Full or on StopRecording. Each recorded key is
    // written to the library at once.
    MacroError StartRecording(int insertBefore = -1);
    MacroRecorder::Result RecordKey(std::uint16_t inputCode, bool released, std::uint32_t timeMs);
    void StopRecording() { recorder_.reset(); }
    bool Recording() const { return recorder_.has_value(); }

    // Timeline editor.
    MacroError SwitchEditor();
    bool TimelineShown() const { return timelineShown_; }
    // The strokes the timeline editor edits, or nullptr when not shown.
    MacroTimeline* Timeline() { return timelineShown_ ? &timeline_ : nullptr; }

    // OK: the timeline written back, recording ended, the library handed
    // over.
    MacroLibrary Finish() &&;

private:
    MacroEntry* EditedMacro();
    MacroSet* EditedSet();
    void ChooseSet(int index);
    void LoadMacro(int row);
    void LeaveMacro();
    MacroError EditableMacro() const;
    MacroError InsertMouseEvent(int command, int row);
    MacroError RenameChecks(std::string_view name, int exceptSet) const;
    void WriteRepeat();

    MacroLibrary library_;
    int set_ = -1;
    int macro_ = -1;
    bool repeatOn_ = false;
    int repeatCount_ = 1;
    bool delayCapture_ = false;
    std::optional<MacroRecorder> recorder_;
    bool timelineShown_ = false;
    MacroTimeline timeline_;
    std::string startMacroName_;
};

// OK: the dialog's library replaces the program's and is written to the
// file. False when the file could not be written.
bool AcceptMacroManager(MacroManager&& manager, MacroLibrary& library, const StoreLocation& where);
// Cancel: the program's library as the file holds it.
void CancelMacroManager(MacroLibrary& library, const StoreLocation& where);

}  // namespace kelm
