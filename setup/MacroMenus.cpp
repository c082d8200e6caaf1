#include "setup/MacroMenus.h"

#include "settings/Text.h"
#include "setup/MacroManager.h"

namespace kelm {

namespace {

MenuSpec Item(int command, std::string text, bool checked = false) {
    return {MenuSpec::Kind::Command, command, std::move(text), checked, 0, {}};
}

MenuSpec Separator() { return {MenuSpec::Kind::Separator, 0, {}, false, 0, {}}; }

MenuSpec Submenu(std::string text, int width, std::vector<MenuSpec> items) {
    return {MenuSpec::Kind::Submenu, 0, std::move(text), false, width, std::move(items)};
}

// Down, Up and Click of one button, three commands from first.
MenuSpec MouseButtonMenu(std::string text, int first) {
    return Submenu(std::move(text), kMouseActionMenuWidth,
                   {Item(first, "Down"), Item(first + 1, "Up"), Item(first + 2, "Click")});
}

bool IsPresetSet(std::string_view name) {
    return EqualsNoCase(Trim(name), "World of Warcraft") || EqualsNoCase(Trim(name), "Xfire");
}

}  // namespace

MenuSpec MacroSetMenu(const MacroLibrary& library, const MacroKeyInfo& entry) {
    MenuSpec menu = Submenu({}, kMacroSetMenuWidth, {});
    const int held = entry.FunctionCode == kFnMacro ? FindMacroForKey(library, entry).SetIndex : -1;
    for (std::size_t s = 0; s < library.Sets.size(); ++s) {
        const int index = static_cast<int>(s);
        menu.items.push_back(Item(kSelectSetCommand + index, library.Sets[s].Name, index == held));
        // The preset sets close their group; the commands below have a
        // separator of their own.
        if (IsPresetSet(library.Sets[s].Name) && s + 1 < library.Sets.size()) menu.items.push_back(Separator());
    }
    if (!library.Sets.empty()) menu.items.push_back(Separator());
    menu.items.push_back(Item(kAddSetCommand, "[+]Add Macro Set"));
    menu.items.push_back(Item(kDeleteSetCommand, "[x]Delete Macro Set"));
    menu.items.push_back(Item(kRenameSetCommand, "[R]Rename Macro Set"));
    return menu;
}

MenuSpec EventListMenu() {
    return Submenu({}, kEventListMenuWidth,
                   {Item(kRecordBeforeCommand, "Start Record before"), Item(kRecordAfterCommand, "Start Record after"),
                    Item(kInsertDelayCommand, "Insert Delay"),
                    Submenu("Insert Mouse Event", kMouseEventMenuWidth,
                            {MouseButtonMenu("Left Button", kFirstMouseCommand),
                             MouseButtonMenu("Right Button", kFirstMouseCommand + 3),
                             MouseButtonMenu("Wheel", kFirstMouseCommand + 6)}),
                    Item(kEditDelayCommand, "Edit Delay"), Item(kDeleteRowCommand, "Delete")});
}

}  // namespace kelm
