// The contracts between the suite's programs and the maker's Pact monitor:
// window titles, named shared objects, message numbers and their meaning.
// Every one of them is seen by another process: none may change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/WindowMessage.h"
#include "settings/SettingsRecord.h"

namespace kelm {

// ---- window titles: the programs find each other only by these ----
inline constexpr std::string_view kMonitorTitle = "VELDAN Kelm Keyboard Monitor";
inline constexpr std::string_view kSetupTitle = "VELDAN Kelm Keyboard Option";
inline constexpr std::string_view kOsdTitle = "VELDAN Kelm Keyboard OSD";
inline constexpr std::string_view kOsdPop3Title = "VELDAN Kelm Keyboard Pop3";
inline constexpr std::string_view kOsdCpuRamTitle = "VELDAN Kelm Keyboard CPU RAM";
inline constexpr std::string_view kOsdSkypeTitle = "VELDAN Kelm Keyboard OSD SKYPE";
inline constexpr std::string_view kPactMonitorTitle = "VELDAN Pact Monitor";

// ---- named shared objects ----
inline constexpr std::string_view kInstanceMutexName = "VELDAN_Kelm_Keyboard_Normal_Monitor";
inline constexpr std::string_view kSettingsBlockName = "VELDAN_Kelm_Keyboard_Share_Data";
inline constexpr std::string_view kSettingsBlockMutexName = "Veldan_Kelm_Keyboard_Mutex_Object";
// The block holds one SettingsRecord, byte for byte.
inline constexpr std::size_t kSettingsBlockSize = sizeof(SettingsRecord);
inline constexpr std::string_view kPactStatusBlockName = "VELDAN_Pact_Active_Status_Share_Data";
inline constexpr std::string_view kPactStatusMutexName = "Veldan_Pact_Active_Status_Mutex_Object";
inline constexpr std::string_view kAmbientBlockName = "VELDAN_Ambient_Event_Light_Share_Data";
inline constexpr std::string_view kAmbientMutexName = "Veldan_Ambient_Event_Light_Mutex_Object";

// ---- standard window messages the programs send each other ----
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;

// ---- private messages of the monitor's window ----
inline constexpr std::uint32_t MSG_TRAY_NOTIFY = WM_USER + 12;                // 1036
inline constexpr std::uint32_t MSG_APPLY_SETTINGS = WM_USER + 200;            // 1224
inline constexpr std::uint32_t MSG_RELOAD_SETTINGS = WM_USER + 202;           // 1226
inline constexpr std::uint32_t MSG_RELOAD_SETTINGS_AND_RATE = WM_USER + 203;  // 1227
inline constexpr std::uint32_t MSG_RELOAD_SETTINGS_ALSO = WM_USER + 207;      // 1231
inline constexpr std::uint32_t MSG_IGNORED_1232 = WM_USER + 208;              // 1232
inline constexpr std::uint32_t MSG_IGNORED_1274 = WM_USER + 250;              // 1274
inline constexpr std::uint32_t MSG_ANSWERS_TRUE_1327 = WM_USER + 303;         // 1327

// ---- to the configuration program and the display program ----
inline constexpr std::uint32_t MSG_SETUP_RELOAD = WM_USER + 230;              // 1254
inline constexpr std::uint32_t MSG_SETUP_PROFILE_CHANGED = WM_USER + 231;     // 1255
inline constexpr std::uint32_t MSG_SETUP_BRIGHTNESS_CHANGED = WM_USER + 233;  // 1257
inline constexpr std::uint32_t MSG_OSD_SHOW_TEXT = WM_USER + 300;             // 1324, to KelmOSD
inline constexpr std::uint32_t MSG_OSD_POSITION = WM_USER + 302;              // 1326, to KelmOSD
// MSG_OSD_SHOW_TEXT's wParam, as the monitor has always sent it.
inline constexpr std::uint64_t kOsdShowTextWParam = 50;
// Where the monitor leaves a display text for KelmOSD: config.ini of the
// program folder, [OSDData] Message.
inline constexpr std::string_view kDisplayTextSection = "OSDData";
inline constexpr std::string_view kDisplayTextKey = "Message";

// Asks a program's main window to come to the front. The window system lets
// the monitor raise another program's window itself; the message endpoints
// have no such thing as a front, so the window is asked to raise itself.
// Registered by name, so any program can answer it.
inline constexpr std::string_view kActivateWindowMessage = "VELDAN_Activate_Window";

// ---- tray menu commands ----
inline constexpr std::uint32_t ID_CONFIGURATION = 6001;
inline constexpr std::uint32_t ID_EXIT = 6002;

// ---- Pact ----
inline constexpr std::string_view kPactActiveStatusFromPact = "WM_PACT_ACTIVE_STATUS_FROM_PACT";
inline constexpr std::string_view kPactActiveStatusToPact = "WM_PACT_ACTIVE_STATUS_TO_PACT";
inline constexpr std::string_view kPactMonitorStatusChange = "WM_PACT_MONITOR_STATUS_CHANGE";
inline constexpr std::string_view kPactAmbientFromPact = "WM_PACT_AMBIENT_EVENT_LIGHT_FROM_PACT";
inline constexpr std::string_view kPactDeviceStatusToMonitor = "WM_PACT_DEVICE_STATUS_CHANGE_TO_PACTMONITOR";

// The five registered numbers, looked up once at program start.
struct PactMessages {
    std::uint32_t activeStatusFromPact;
    std::uint32_t activeStatusToPact;
    std::uint32_t monitorStatusChange;
    std::uint32_t ambientFromPact;
    std::uint32_t deviceStatusToMonitor;

    static PactMessages Register() {
        return {RegisterWindowMessage(kPactActiveStatusFromPact), RegisterWindowMessage(kPactActiveStatusToPact),
                RegisterWindowMessage(kPactMonitorStatusChange), RegisterWindowMessage(kPactAmbientFromPact),
                RegisterWindowMessage(kPactDeviceStatusToMonitor)};
    }
};

}  // namespace kelm
