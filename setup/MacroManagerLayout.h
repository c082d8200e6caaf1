// Where the macro manager's controls lie, as layout strings (name, x, y,
// width, height, tooltip): the dialog, its two editor panels (placed
// inside the panel area) and the set name dialog. The windows and the
// program that draws their pictures both place the controls from here.
#pragma once

#include <array>
#include <string_view>

namespace kelm {

inline constexpr int kMacroManagerWidth = 712;
inline constexpr int kMacroManagerHeight = 466;

inline constexpr std::string_view kMacroSetFieldLayout = "BUTTON_combox_macro_select,16,75,196,23,";
inline constexpr std::string_view kMacroNameListLayout = "BUTTON_List_MacroName,19,98,189,302,";
inline constexpr std::string_view kMacroEditorPanelLayout = "CHILD_POS,215,50,490,365,";
inline constexpr std::string_view kNewMacroLayout = "BUTTON_New,15,430,71,26,";
inline constexpr std::string_view kDeleteMacroLayout = "BUTTON_Delete,89,431,96,26,";
inline constexpr std::string_view kSwitchEditorLayout = "BUTTON_Switch_editor,219,430,197,25,";
inline constexpr std::array<std::string_view, 3> kMacroManagerEndLayouts{
    "BUTTON_OK,539,430,56,26,", "BUTTON_Cancel,605,430,100,26,", "BUTTON_Exit,686,4,22,22,"};
// The caption over the set field.
inline constexpr std::string_view kMacroSetCaptionLayout = "Macro set caption,18,52,194,20,";

// The event-list editor, in the panel.
inline constexpr std::string_view kStartRecordLayout = "BUTTON_Start_Record,263,57,133,23,";
inline constexpr std::string_view kDelaySwitchLayout = "BUTTON_Delay_ON_OFF,262,97,150,23,";
inline constexpr std::string_view kRepeatSwitchLayout = "BUTTON_LoopTimes_ON_OFF,262,164,120,15,";
inline constexpr std::string_view kRepeatTimesLayout = "Edit_Times,284,184,30,15,";
inline constexpr std::string_view kKeySequenceLayout = "BUTTON_List_key_sequence,6,49,234,301,";
// Texts of the event-list editor: the list's heading, "times" after the
// repeat field and the recording hint with the recording's state.
inline constexpr std::string_view kKeySequenceCaptionLayout = "Key sequence caption,20,21,220,20,";
inline constexpr std::string_view kRepeatTimesCaptionLayout = "Times caption,320,184,150,15,";
inline constexpr std::string_view kRecordHintLayout = "Record hint,262,214,218,136,";

// The timeline editor, in the panel, on its picture "macro_adjust_normal".
inline constexpr std::string_view kTimelineAddLayout = "BUTTON_ADD,4,330,30,20,";
inline constexpr std::string_view kTimelineDeleteLayout = "BUTTON_DELETE,34,330,30,20,";
inline constexpr std::string_view kZoomInLayout = "BUTTON_ZOOM_IN,457,1,22,20,";
inline constexpr std::string_view kZoomOutLayout = "BUTTON_ZOOM_OUT,435,1,22,20,";
// The bars, with the key names at their left and the time axis on top.
inline constexpr std::string_view kTimelineViewLayout = "Timeline,4,24,482,300,";
// What the timeline leaves out, beside ADD and DELETE.
inline constexpr std::string_view kTimelineNoteLayout = "Timeline note,72,326,414,36,";

// The name dialog of "[+]Add Macro Set" and "[R]Rename Macro Set"; its OK,
// Cancel and close buttons lie where the notice dialog's do.
inline constexpr int kSetNameDialogWidth = 304;
inline constexpr int kSetNameDialogHeight = 236;
inline constexpr std::string_view kSetNameFieldLayout = "EDIT_MACRO_SET_NAME,58,100,186,18,";
inline constexpr std::string_view kSetNameCaptionLayout = "Set name caption,58,76,220,20,";

}  // namespace kelm
