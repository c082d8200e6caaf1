// Where the key-assignment pages' controls lie, as layout strings (name, x,
// y, width, height, tooltip), the slots in the order each page numbers
// them. The pages, and the program that draws their pictures, both place
// the controls from these tables.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "setup/SlotMenus.h"

namespace kelm {

// Hot Grid: two columns of ten, rows 21 pixels apart from y 66.
inline constexpr std::array<std::string_view, 20> kHotGridSlotLayouts{
    "1,44,66,140,18,",   "2,44,87,140,18,",   "3,44,108,140,18,",  "4,44,129,140,18,",  "5,44,150,140,18,",
    "Q,44,171,140,18,",  "W,44,192,140,18,",  "E,44,213,140,18,",  "R,44,234,140,18,",  "T,44,255,140,18,",
    "A,226,66,140,18,",  "S,226,87,140,18,",  "D,226,108,140,18,", "F,226,129,140,18,", "G,226,150,140,18,",
    "Z,226,171,140,18,", "X,226,192,140,18,", "C,226,213,140,18,", "V,226,234,140,18,", "B,226,255,140,18,",
};

// Macro keys: the standard layer at x 17, each key's DuoLayer twin beside
// it at x 226 on the same row, rows 21 pixels apart in three groups (Caps
// Lock, the macro keys, the thumb keys) with a little more room between.
inline constexpr std::array<std::string_view, 18> kMacroKeySlotLayouts{
    "CapsLk,17,45,140,18,", "ECapsLk,226,45,140,18,", "M1,17,76,140,18,",    "M2,17,97,140,18,",
    "M3,17,118,140,18,",    "M4,17,139,140,18,",      "M5,17,160,140,18,",   "EM1,226,76,140,18,",
    "EM2,226,97,140,18,",   "EM3,226,118,140,18,",    "EM4,226,139,140,18,", "EM5,226,160,140,18,",
    "T1,17,191,140,18,",    "T2,17,212,140,18,",      "T3,17,233,140,18,",   "ET1,226,191,140,18,",
    "ET2,226,212,140,18,",  "ET3,226,233,140,18,",
};

// Media F: the F keys at x 226, the multimedia keys at x 46, rows 21
// pixels apart from y 45.
inline constexpr std::array<std::string_view, 20> kMediaFSlotLayouts{
    "F1,226,45,140,18,",   "F2,226,66,140,18,",   "F3,226,87,140,18,",  "F4,226,108,140,18,", "F5,226,129,140,18,",
    "F6,226,150,140,18,",  "F7,226,171,140,18,",  "F8,226,192,140,18,", "F9,226,213,140,18,", "F10,226,234,140,18,",
    "F11,226,255,140,18,", "F12,226,276,140,18,", "MM1,46,45,140,18,",  "MM2,46,66,140,18,",  "MM3,46,87,140,18,",
    "MM4,46,108,140,18,",  "MM5,46,129,140,18,",  "MM6,46,150,140,18,", "MM7,46,171,140,18,", "MM8,46,192,140,18,",
};

// On every page.
inline constexpr std::string_view kMacroManagerLayout = "Macro Manager,618,285,130,25,";
// On the Media F page: the player the multimedia keys drive.
inline constexpr std::string_view kSelectPlayerLayout = "Select_Player,17,276,169,18,";

constexpr std::span<const std::string_view> KeyPageSlotLayouts(KeyPageKind page) {
    switch (page) {
        case KeyPageKind::HotGrid:
            return kHotGridSlotLayouts;
        case KeyPageKind::MacroKeys:
            return kMacroKeySlotLayouts;
        case KeyPageKind::MediaF:
            break;
    }
    return kMediaFSlotLayouts;
}

// The key index that slot (0-based, in layout order) of page assigns.
constexpr int SlotKeyIndex(KeyPageKind page, int slot) {
    switch (page) {
        case KeyPageKind::HotGrid:
            return slot + 10;
        case KeyPageKind::MacroKeys:
            return slot < 2 ? slot + 56 : slot < 12 ? slot - 2 : slot + 18;
        case KeyPageKind::MediaF:
            break;
    }
    return slot + 36;
}

}  // namespace kelm
