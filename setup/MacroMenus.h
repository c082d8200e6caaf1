// The macro manager's two menus as data: the set field's menu (every set,
// the key's own set checked, the maker's preset sets set apart, then the
// set commands) and the event list's right-click menu with its mouse
// submenus. The dialog makes them skinned menus; tests read them here.
#pragma once

#include "settings/MacroLibrary.h"
#include "setup/SlotMenus.h"

namespace kelm {

inline constexpr int kMacroSetMenuWidth = 176;
inline constexpr int kEventListMenuWidth = 140;
inline constexpr int kMouseEventMenuWidth = 100;
inline constexpr int kMouseActionMenuWidth = 40;

MenuSpec MacroSetMenu(const MacroLibrary& library, const MacroKeyInfo& entry);
MenuSpec EventListMenu();

}  // namespace kelm
