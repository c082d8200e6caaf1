#include "keyboard/DeviceEvents.h"

namespace kelm {

namespace {

constexpr int kLastKeyNumber = 48;

bool IsKeyNumber(int k) { return k >= 1 && k <= kLastKeyNumber; }

}  // namespace

DecodedEvent DecodeDeviceEvent(std::uint32_t id) {
    const auto type = static_cast<std::uint16_t>(id >> 16);
    const auto data = static_cast<std::uint16_t>(id & 0xFFFF);
    const int low = data & 0xFF;
    const int high = data >> 8;
    switch (type) {
        case EVT_PROFILE:
            if (data >= 1 && data <= 5) return {DeviceAction::Profile, data, 0};
            break;
        case EVT_MACRO_RECORD:
            return {DeviceAction::MacroRecord, data, 0};
        case EVT_QUICK_LAUNCH:
            if (IsKeyNumber(low) && high == 0) return {DeviceAction::QuickLaunch, low, 0};
            break;
        case EVT_MEDIA:
            if (low >= 0x20 && low <= 0x27) return {DeviceAction::Media, low, high};
            break;
        case EVT_BRIGHTNESS:
            if (data >= 1 && data <= 6) return {DeviceAction::Brightness, data, 0};
            break;
        case EVT_KEY_FUNCTION:
        case EVT_KEY_FUNCTION_ALSO:
            if (IsKeyNumber(low)) return {DeviceAction::KeyFunction, low, high};
            break;
        case EVT_OPEN_SETUP:
            if (data == 1) return {DeviceAction::OpenSetup, 0, 0};
            break;
        case EVT_PRESENCE:
            if (data == 1) return {DeviceAction::Arrival, 0, 0};
            if (data == 2) return {DeviceAction::Removal, 0, 0};
            break;
        case EVT_PACT_KEY:
            return {DeviceAction::PactKey, data, 0};
        default:
            break;
    }
    return {};
}

std::uint32_t DeviceEventFromMessage(std::uint64_t wParam, std::int64_t lParam) {
    return MakeDeviceEvent(static_cast<std::uint16_t>(wParam & 0xFFFF),
                           static_cast<std::uint16_t>(static_cast<std::uint64_t>(lParam) & 0xFFFF));
}

std::uint32_t PresenceEventFromMessage(std::uint64_t wParam) {
    const std::uint16_t data = wParam == 1 ? 1 : wParam == 0 ? 2 : 0;
    return MakeDeviceEvent(EVT_PRESENCE, data);
}

}  // namespace kelm
