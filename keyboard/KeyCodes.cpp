#include "keyboard/KeyCodes.h"

#include <algorithm>

namespace kelm {

namespace {

constexpr bool CodesAscend() {
    for (std::size_t i = 1; i < kKeyCodeTable.size(); ++i)
        if (kKeyCodeTable[i - 1].code >= kKeyCodeTable[i].code) return false;
    return true;
}
// FindKeyCode searches by halves.
static_assert(CodesAscend());

}  // namespace

const KeyCodeRow* FindKeyCode(std::uint8_t code) {
    const auto at = std::lower_bound(kKeyCodeTable.begin(), kKeyCodeTable.end(), code,
                                     [](const KeyCodeRow& row, std::uint8_t value) { return row.code < value; });
    return at != kKeyCodeTable.end() && at->code == code ? &*at : nullptr;
}

const KeyCodeRow* FindVirtualKey(std::uint8_t virtualKey) {
    switch (virtualKey) {
        case VK_SHIFT:
            virtualKey = VK_LSHIFT;
            break;
        case VK_CONTROL:
            virtualKey = VK_LCONTROL;
            break;
        case VK_MENU:
            virtualKey = VK_LMENU;
            break;
        default:
            break;
    }
    const auto at = std::find_if(kKeyCodeTable.begin(), kKeyCodeTable.end(),
                                 [virtualKey](const KeyCodeRow& row) { return row.virtualKey == virtualKey; });
    return at != kKeyCodeTable.end() ? &*at : nullptr;
}

std::optional<std::uint8_t> UsageToVirtualKey(std::uint8_t code) {
    const KeyCodeRow* row = FindKeyCode(code);
    if (row == nullptr) return std::nullopt;
    return row->virtualKey;
}

std::uint8_t FoldModifier(std::uint8_t virtualKey) {
    if (virtualKey < VK_LSHIFT || virtualKey > VK_RMENU) return virtualKey;
    return static_cast<std::uint8_t>(VK_SHIFT + (virtualKey - VK_LSHIFT) / 2);
}

bool IsMouseButtonCode(std::uint8_t code) { return code >= kMouseLeft && code <= kMouseExtra1; }

bool IsModifierVirtualKey(std::uint8_t virtualKey) {
    return virtualKey == VK_LWIN || virtualKey == VK_RWIN || (virtualKey >= VK_LSHIFT && virtualKey <= VK_RMENU);
}

}  // namespace kelm
