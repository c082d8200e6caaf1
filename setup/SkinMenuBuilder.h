// A menu described as data (SlotMenus.h) made into the skin's popup menu,
// submenus included, each entry carrying its command.
#pragma once

#include "setup/SlotMenus.h"
#include "skin/SkinMenu.h"

namespace kelm {

// Owned by parent. Each level is at least its described width and wide
// enough for its longest entry: the widths were chosen for a narrower face
// than the one a desktop may substitute, and a cut entry is unreadable.
skin::SkinMenu* MakeSkinMenu(const MenuSpec& spec, QWidget* parent);

}  // namespace kelm
