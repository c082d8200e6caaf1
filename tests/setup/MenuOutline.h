// A menu as one line, for tests to compare whole menus at a glance:
// "text=command" entries, "*" after a checked one, "-" for a separator,
// and a submenu as "text>", or with its width and entries as
// "text>width(...)" when nested.
#pragma once

#include <string>

#include "setup/SlotMenus.h"

namespace kelm::test {

enum class Submenus { Marked, Nested };

inline std::string Outline(const MenuSpec& menu, Submenus submenus = Submenus::Marked) {
    std::string text;
    for (const MenuSpec& item : menu.items) {
        if (!text.empty()) text += '|';
        if (item.kind == MenuSpec::Kind::Separator) {
            text += '-';
            continue;
        }
        text += item.text;
        if (item.kind == MenuSpec::Kind::Command) text += '=' + std::to_string(item.command);
        if (item.kind == MenuSpec::Kind::Submenu) {
            text += '>';
            if (submenus == Submenus::Nested) text += std::to_string(item.width) + "(" + Outline(item, submenus) + ")";
        }
        if (item.checked) text += '*';
    }
    return text;
}

}  // namespace kelm::test
