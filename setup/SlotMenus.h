// The menus the key-assignment pages open on a slot, as data: which
// entries, submenus and separators each kind of slot offers, their command
// numbers (the catalogue's), their texts and check marks, and the widths
// the pages draw them at. The widgets turn a MenuSpec into a skinned menu;
// tests read it directly.
#pragma once

#include <string>
#include <vector>

#include "keyboard/KeyFunctions.h"
#include "settings/MacroLibrary.h"
#include "settings/SettingsRecord.h"

namespace kelm {

struct MenuSpec {
    enum class Kind { Command, Separator, Submenu };
    Kind kind = Kind::Command;
    int command = 0;
    std::string text;
    bool checked = false;
    int width = 0;                // a submenu's or the top menu's width in pixels
    std::vector<MenuSpec> items;  // a submenu's entries
};

enum class KeyPageKind { HotGrid, MacroKeys, MediaF };

inline constexpr int kSlotMenuWidth = 122;
inline constexpr int kPactMenuWidth = 170;
// At most this many sets, and macros per set, are listed.
inline constexpr std::size_t kListedMacroSets = kMaxMacroSets;

struct SlotMenuContext {
    const MacroKeyInfo& current;  // the slot's entry, for the check marks
    const MacroLibrary& library;
    const TimerList& timers;
    SteadixDpi dpi{};
};

// The menu of the slot for keyIndex on page.
MenuSpec SlotMenu(KeyPageKind page, int keyIndex, const SlotMenuContext& context);

}  // namespace kelm
