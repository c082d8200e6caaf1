// KelmWatch's own numbers: the messages devbridge posts to its window, its
// thread messages and jobs, and its window timers. What other programs see
// lives in suite/SuiteIds.h.
#pragma once

#include <cstdint>

#include "platform/WindowMessage.h"
#include "suite/SuiteIds.h"

namespace kelm {

// ---- system notifications the platform layer posts to the window ----
inline constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr std::uint32_t WM_WTSSESSION_CHANGE = 0x02B1;
inline constexpr std::uint32_t WTS_CONSOLE_CONNECT = 1;
inline constexpr std::uint32_t WTS_CONSOLE_DISCONNECT = 2;
inline constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
inline constexpr std::uint32_t PBT_APMSUSPEND = 0x0004;
inline constexpr std::uint32_t PBT_APMRESUMEAUTOMATIC = 0x0012;

// ---- from the keyboard library (the numbers the monitor hands it) ----
inline constexpr std::uint32_t MSG_DEVICE_EVENT = WM_USER + 301;     // 1325
inline constexpr std::uint32_t MSG_DEVICE_PRESENCE = WM_USER + 302;  // 1326

// ---- thread messages ----
inline constexpr std::uint32_t MSG_PLAY_MACRO = WM_USER + 624;  // 1648
inline constexpr std::uint32_t MSG_DEVICE_JOB = WM_USER + 625;  // 1649

inline constexpr int JOB_READ_ALL = 2;
inline constexpr int JOB_SEND_PROFILE = 3;
inline constexpr int JOB_MACRO_RECORD_STAGE = 4;
// Work on the working record handed to the worker, so that it runs in order
// with the keyboard jobs; it runs also while the keyboard is away.
inline constexpr int JOB_RECORD_TASK = 5;

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

}  // namespace kelm
