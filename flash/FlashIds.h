// KelmFlash's own names and numbers: its instance mutex, its window's
// title, and the messages its update worker posts to the window.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/WindowMessage.h"

namespace kelm {

inline constexpr std::string_view kFlashInstanceMutexName = "VELDAN_Kelm_Keyboard_Firmware_Update";
inline constexpr std::string_view kFlashWindowTitle = "VELDAN Kelm Keyboard Firmware update";

// wParam = the block just written.
inline constexpr std::uint32_t MSG_FLASH_PROGRESS = WM_USER + 400;  // 1424
// lParam = 1 when the pass succeeded, 0 when it failed.
inline constexpr std::uint32_t MSG_FLASH_RESULT = WM_USER + 402;  // 1426

// What devbridge posts to the window; KelmFlash takes no notice of either.
inline constexpr std::uint32_t MSG_FLASH_DEVICE_EVENT = 1325;
inline constexpr std::uint32_t MSG_FLASH_DEVICE_PRESENCE = 1326;

}  // namespace kelm
