// The numbers and names KelmWatch shares with the keyboard library, the
// other programs of the suite and the maker's Pact monitor. Every one of
// them is a contract with another process: none may change.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/WindowMessage.h"

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
inline constexpr std::string_view kPactStatusBlockName = "VELDAN_Pact_Active_Status_Share_Data";
inline constexpr std::string_view kPactStatusMutexName = "Veldan_Pact_Active_Status_Mutex_Object";
inline constexpr std::string_view kAmbientBlockName = "VELDAN_Ambient_Event_Light_Share_Data";
inline constexpr std::string_view kAmbientMutexName = "Veldan_Ambient_Event_Light_Mutex_Object";

// ---- standard window messages the monitor handles ----
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr std::uint32_t WM_WTSSESSION_CHANGE = 0x02B1;
inline constexpr std::uint32_t WTS_CONSOLE_CONNECT = 1;
inline constexpr std::uint32_t WTS_CONSOLE_DISCONNECT = 2;
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
inline constexpr std::uint32_t MSG_DEVICE_EVENT = WM_USER + 301;              // 1325
inline constexpr std::uint32_t MSG_DEVICE_PRESENCE = WM_USER + 302;           // 1326
inline constexpr std::uint32_t MSG_ANSWERS_TRUE_1327 = WM_USER + 303;         // 1327

// ---- to the configuration program and the display program ----
inline constexpr std::uint32_t MSG_SETUP_RELOAD = WM_USER + 230;              // 1254
inline constexpr std::uint32_t MSG_SETUP_PROFILE_CHANGED = WM_USER + 231;     // 1255
inline constexpr std::uint32_t MSG_SETUP_BRIGHTNESS_CHANGED = WM_USER + 233;  // 1257
inline constexpr std::uint32_t MSG_OSD_POSITION = WM_USER + 302;              // 1326, to KelmOSD

// Asks a program's main window to come to the front. The window system lets
// the monitor raise another program's window itself; the message endpoints
// have no such thing as a front, so the window is asked to raise itself.
// Registered by name, so any program can answer it.
inline constexpr std::string_view kActivateWindowMessage = "VELDAN_Activate_Window";

// ---- tray menu commands ----
inline constexpr std::uint32_t ID_CONFIGURATION = 6001;
inline constexpr std::uint32_t ID_EXIT = 6002;

// ---- thread messages ----
inline constexpr std::uint32_t MSG_PLAY_MACRO = WM_USER + 624;  // 1648
inline constexpr std::uint32_t MSG_DEVICE_JOB = WM_USER + 625;  // 1649

inline constexpr int JOB_READ_ALL = 2;
inline constexpr int JOB_SEND_PROFILE = 3;
inline constexpr int JOB_MACRO_RECORD_STAGE = 4;

// ---- window timers ----
inline constexpr unsigned TIMER_SHORTCUT_REPEAT = 102;
inline constexpr unsigned TIMER_FOREGROUND = 500;
inline constexpr unsigned TIMER_FIRST_READ = 502;
// The rest of a keyboard arrival, 2000 ms after it was reported: a timer
// rather than a sleep, so the window keeps answering meanwhile.
inline constexpr unsigned TIMER_ARRIVAL = 503;
// The next attempt to register for session notifications.
inline constexpr unsigned TIMER_SESSION_RETRY = 504;
inline constexpr unsigned TIMER_COUNTDOWN = 600;
inline constexpr unsigned TIMER_SOUND_PROFILE = 601;
inline constexpr unsigned TIMER_SOUND_WINDOWS_PROFILE = 602;
inline constexpr unsigned TIMER_SOUND_MACRO_SELECT = 603;
inline constexpr unsigned TIMER_SOUND_MACRO_ENTER = 604;
inline constexpr unsigned TIMER_SOUND_MACRO_RECORDED = 605;
inline constexpr unsigned TIMER_SOUND_MACRO_ABORTED = 606;
inline constexpr unsigned TIMER_SOUND_KEY_NOT_AVAILABLE = 607;
inline constexpr unsigned kFirstSoundTimer = 601;
inline constexpr unsigned kLastSoundTimer = 609;

// ---- DeviceState ----
inline constexpr int kDeviceNeverOpened = 0;
inline constexpr int kDeviceConnected = 1;
inline constexpr int kDeviceRemoved = 2;

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
