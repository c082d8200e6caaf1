#include "monitor/PactKeys.h"

namespace kelm {

namespace {

constexpr std::uint8_t kFnDuoLayerAll = 0x8C;
constexpr std::uint8_t kFnDuoLayerAllLock = 0x8D;
constexpr std::uint8_t kFnDuoLayerHold = 0xF5;
constexpr std::uint8_t kFnDuoLayerLock = 0xF6;
constexpr std::uint8_t kFnSteadixFirst = 0xF7;
constexpr std::uint8_t kFnSteadixLast = 0xFB;
constexpr std::uint64_t kLockToggleWParam = 2;

}  // namespace

std::optional<int> PactKeyEntry(std::uint8_t keyCode) {
    if (keyCode == 0x39) return 56;
    if (keyCode >= 0xAA && keyCode <= 0xAE) return keyCode - 0xAA;
    if (keyCode >= 0xFC && keyCode <= 0xFE) return 30 + (keyCode - 0xFC);
    return std::nullopt;
}

std::optional<PactKeyRecord> PactKeyFunction(std::uint16_t data, const ProfileRecord& profile, bool& lockFlag) {
    const auto entry = PactKeyEntry(static_cast<std::uint8_t>(data & 0xFF));
    if (!entry) return std::nullopt;
    const std::uint8_t phase = static_cast<std::uint8_t>(data >> 8);
    const bool press = phase == 0;
    const MacroKeyInfo& key = profile.Keys[*entry];

    PactKeyRecord out{
        {kPactThisKeyboard, static_cast<std::uint32_t>(key.TargetDevice), kPactNoChange, kPactNoChange, kPactNoChange},
        0};
    switch (key.FunctionCode) {
        case kFnDuoLayerAll:
            out.record.PactTarget = kPactAllDevices;
            [[fallthrough]];
        case kFnDuoLayerHold:
            // Only a release of phase exactly 1 lets go; any other release
            // phase leaves the state as it is.
            if (press)
                out.record.DuoLayerState = 1;
            else if (phase == 1)
                out.record.DuoLayerState = 0;
            return out;
        case kFnDuoLayerAllLock:
            out.record.PactTarget = kPactAllDevices;
            [[fallthrough]];
        case kFnDuoLayerLock:
            if (!press) return std::nullopt;
            lockFlag = !lockFlag;
            out.record.DuoLayerLock = lockFlag ? 1 : 0;
            out.wParam = kLockToggleWParam;
            return out;
        default:
            if (key.FunctionCode >= kFnSteadixFirst && key.FunctionCode <= kFnSteadixLast) {
                out.record.SteadixLevel =
                    press ? static_cast<std::uint32_t>(key.FunctionCode - kFnSteadixFirst + 1) : 0;
                return out;
            }
            return std::nullopt;
    }
}

PactStatusRecord PactResetRecord() { return {kPactThisKeyboard, kPactAllDevices, 0, 0, 0}; }

bool IsForThisKeyboard(const PactStatusRecord& record) {
    return record.PactSource != kPactThisKeyboard &&
           (record.PactTarget == kPactThisKeyboard || record.PactTarget == kPactAllDevices);
}

}  // namespace kelm
