// Where the controls of the dialogs that the key-assignment pages open lie,
// as layout strings (name, x, y, width, height, tooltip). The dialogs and
// the program that draws their pictures both place them from these tables.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "keyboard/KeyFunctions.h"

namespace kelm {

// The shortcut dialog: the key field, the five modifier boxes and the
// modifier bit each stands for.
inline constexpr int kShortcutDialogWidth = 460;
inline constexpr int kShortcutDialogHeight = 204;
inline constexpr std::string_view kShortcutKeyLayout = "EDIT_KEY,20,68,250,18,";
inline constexpr std::array<std::string_view, 5> kShortcutBoxLayouts{
    "None,20,102,55,18,", "Shift,80,102,50,18,", "Ctrl,134,102,46,18,", "Alt,234,102,36,18,", "Win,183,102,46,18,"};
inline constexpr std::array<std::uint8_t, 5> kShortcutBoxBits{kShortcutNone, kShortcutShift, kShortcutCtrl,
                                                              kShortcutAlt, kShortcutWin};
inline constexpr std::array<std::string_view, 3> kShortcutEndLayouts{
    "BUTTON_OK,14,162,60,30,", "BUTTON_CANCEL,78,162,100,30,", "BUTTON_EXIT,430,4,25,22,"};

// The quick-launch dialog.
inline constexpr int kQuickLaunchDialogWidth = 304;
inline constexpr int kQuickLaunchDialogHeight = 236;
inline constexpr std::string_view kQuickLaunchPathLayout = "Gaming path to executeable,27,88,227,15,";
inline constexpr std::string_view kQuickLaunchBrowseLayout = "browser1,256,86,24,20,";
inline constexpr std::array<std::string_view, 3> kQuickLaunchEndLayouts{
    "BUTTON_OK,72,200,56,24,", "BUTTON_CANCEL,136,200,100,24,", "BUTTON_EXIT,274,3,26,22,"};

// The create-timer and edit/delete-timer dialogs, one size.
inline constexpr int kTimerDialogWidth = 520;
inline constexpr int kTimerDialogHeight = 346;
inline constexpr std::string_view kCreateTimerNameLayout = "EDIT_PROFILE_NAME,116,90,182,15,";
inline constexpr std::string_view kCreateTimerSecondsLayout = "EDIT_SPIN,115,163,45,19,";
inline constexpr std::string_view kEditTimerListLayout = "LIST_TIMER,115,86,186,20,";
inline constexpr std::string_view kEditTimerNameLayout = "EDIT_PROFILE_NAME,116,140,182,15,";
inline constexpr std::string_view kEditTimerSecondsLayout = "EDIT_SPIN,115,193,45,19,";
inline constexpr std::string_view kEditTimerSaveLayout = "BUTTON_SAVE,226,190,114,24,";
inline constexpr std::string_view kEditTimerDeleteLayout = "BUTTON_DELETE,350,190,124,24,";
inline constexpr std::array<std::string_view, 3> kTimerEndLayouts{
    "BUTTON_OK,14,310,60,26,", "BUTTON_CANCEL,78,310,100,26,", "BUTTON_Exit,494,3,22,22,"};
// LIST_TIMER's menu: every timer by name, command 1000 + its index.
inline constexpr int kTimerMenuWidth = 167;
inline constexpr int kFirstTimerListCommand = 1000;

}  // namespace kelm
