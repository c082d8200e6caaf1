// Where KelmFlash's controls sit, shared by the windows and the program that
// draws their pictures, so the two cannot drift apart.
#pragma once

#include <array>
#include <string_view>

namespace kelm::flash_layout {

// The update window.
inline constexpr std::string_view kWindowExit = "BUTTON_EXIT,497,4,22,22,";
inline constexpr std::string_view kWindowProgress = "BUTTON_Progress,43,181,436,17,";
inline constexpr int kWindowWidth = 523;
inline constexpr int kWindowHeight = 272;

// The dialogs: OK alone, or OK and Cancel; the close button in both.
inline constexpr std::string_view kDialogExit = "BUTTON_EXIT,276,4,22,22,";
inline constexpr std::string_view kDialogOk = "BUTTON_OK,125,171,55,28,";
inline constexpr std::string_view kConfirmOk = "BUTTON_OK,74,171,60,28,";
inline constexpr std::string_view kConfirmCancel = "BUTTON_CANCEL,138,171,100,28,";
inline constexpr int kDialogWidth = 302;
inline constexpr int kDialogHeight = 212;

}  // namespace kelm::flash_layout
