#include "emulator/EmuKeyTable.h"

namespace kelm::emu {

namespace {

std::uint16_t Phase(bool release) { return release ? 0x0100 : 0x0000; }

std::optional<std::uint8_t> MediaCode(std::uint8_t functionCode) {
    switch (functionCode) {
        case 0xCB:
            return 0x20;  // open the player
        case 0xCC:
            return 0x23;  // play/pause
        case 0xCD:
            return 0x21;  // next track
        case 0xCE:
            return 0x22;  // previous track
        case 0xCF:
            return 0x24;  // stop
        default:
            return std::nullopt;
    }
}

bool IsPactFunction(std::uint8_t code) { return code == 0x8C || code == 0x8D || (code >= 0xF5 && code <= 0xFB); }

}  // namespace

std::optional<std::uint8_t> PactKeyCode(int keyIndex) {
    if (keyIndex >= 0 && keyIndex <= 4) return static_cast<std::uint8_t>(0xAA + keyIndex);
    if (keyIndex >= 30 && keyIndex <= 32) return static_cast<std::uint8_t>(0xFC + (keyIndex - 30));
    if (keyIndex == 56) return 0x39;
    return std::nullopt;
}

std::optional<KeyEvent> KeyEventFor(const MacroKeyInfo& entry, int keyIndex, bool release) {
    const std::uint8_t code = entry.FunctionCode;
    const auto keyNumber = static_cast<std::uint16_t>(keyIndex + 1);
    switch (code) {
        case kFnShortcut:
        case kFnTimer:
        case 0xBD:
        case kFnMacro:
            return KeyEvent{EVT_KEY_FUNCTION, static_cast<std::uint16_t>(Phase(release) | keyNumber)};
        case kFnQuickLaunch:
            if (release) return std::nullopt;
            return KeyEvent{EVT_QUICK_LAUNCH, keyNumber};
        case 0xDD:
            if (release) return std::nullopt;
            return KeyEvent{EVT_OPEN_SETUP, 1};
        default:
            break;
    }
    if (const auto media = MediaCode(code))
        return KeyEvent{EVT_MEDIA, static_cast<std::uint16_t>(Phase(release) | *media)};
    if (IsPactFunction(code)) {
        const auto pact = PactKeyCode(keyIndex);
        if (!pact) return std::nullopt;
        return KeyEvent{EVT_PACT_KEY, static_cast<std::uint16_t>(Phase(release) | *pact)};
    }
    return std::nullopt;
}

std::optional<int> ProfileAfterKey(std::uint8_t code, int current) {
    const int last = kProfileCount - 1;
    switch (code) {
        case 0xB0:
            return current < last ? current + 1 : last;
        case 0xB1:
            return current > 0 ? current - 1 : 0;
        case 0xB2:
            return current < last ? current + 1 : 0;
        default:
            break;
    }
    if (code >= 0xB3 && code <= 0xB7) return code - 0xB3;
    return std::nullopt;
}

}  // namespace kelm::emu
