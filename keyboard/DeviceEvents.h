// The keyboard's events: a 32-bit DeviceEvent, type in the high 16 bits and
// data in the low 16 bits, and for the key-related types a key number or
// code in the data's low byte and a phase (0 press) in its high byte.
// DecodeDeviceEvent applies every type's range rule, so what it returns is
// an action the monitor takes and everything else is dropped.
#pragma once

#include <cstdint>

namespace kelm {

inline constexpr std::uint16_t EVT_PROFILE = 0x0200;
inline constexpr std::uint16_t EVT_MACRO_RECORD = 0x0400;
inline constexpr std::uint16_t EVT_QUICK_LAUNCH = 0x0700;
inline constexpr std::uint16_t EVT_MEDIA = 0x0B00;
inline constexpr std::uint16_t EVT_BRIGHTNESS = 0x0C00;
inline constexpr std::uint16_t EVT_KEY_FUNCTION = 0x0D00;
inline constexpr std::uint16_t EVT_KEY_FUNCTION_ALSO = 0x0E00;
inline constexpr std::uint16_t EVT_OPEN_SETUP = 0x1000;
inline constexpr std::uint16_t EVT_PRESENCE = 0x7F00;
inline constexpr std::uint16_t EVT_PACT_KEY = 0xFF00;

inline constexpr std::uint32_t MakeDeviceEvent(std::uint16_t type, std::uint16_t data) {
    return (static_cast<std::uint32_t>(type) << 16) | data;
}

enum class DeviceAction {
    None,
    Profile,      // argument: profile number 1..5
    MacroRecord,  // argument: the whole data word
    QuickLaunch,  // argument: key number 1..48 (press only)
    Media,        // argument: media code 0x20..0x27, phase: release flag
    Brightness,   // argument: level 1..6
    KeyFunction,  // argument: key number 1..48, phase
    OpenSetup,
    Arrival,
    Removal,
    PactKey,  // argument: the whole data word
};

struct DecodedEvent {
    DeviceAction action = DeviceAction::None;
    int argument = 0;
    int phase = 0;
    friend bool operator==(const DecodedEvent&, const DecodedEvent&) = default;
};

DecodedEvent DecodeDeviceEvent(std::uint32_t id);

// MSG_DEVICE_EVENT: wParam the type, lParam the data.
std::uint32_t DeviceEventFromMessage(std::uint64_t wParam, std::int64_t lParam);
// MSG_DEVICE_PRESENCE: wParam 1 arrived, 0 removed; anything else gives
// data 0, which no action takes.
std::uint32_t PresenceEventFromMessage(std::uint64_t wParam);

}  // namespace kelm
