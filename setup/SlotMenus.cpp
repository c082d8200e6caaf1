#include "setup/SlotMenus.h"

#include "settings/Text.h"

namespace kelm {

namespace {

constexpr int kCapsLockKey = 56;
constexpr int kDuoCapsLockKey = 57;
constexpr int kFirstMediaKey = 48;

MenuSpec Separator() { return {MenuSpec::Kind::Separator, 0, {}, false, 0, {}}; }

MenuSpec Submenu(std::string text, std::vector<MenuSpec> items, int width = kSlotMenuWidth) {
    return {MenuSpec::Kind::Submenu, 0, std::move(text), false, width, std::move(items)};
}

// Whether the entry the slot holds is what command would store: the same
// code, and for the Pact commands the same device.
bool Holds(const MacroKeyInfo& current, int command) {
    const auto code = FunctionCodeForCommand(command);
    if (!code || *code != current.FunctionCode) return false;
    const auto target = TargetDeviceForCommand(command);
    return !target || *target == current.TargetDevice;
}

MenuSpec Command(int command, const SlotMenuContext& context, std::string text = {}) {
    if (text.empty())
        if (const auto code = FunctionCodeForCommand(command))
            if (const FunctionRow* row = FindFunction(*code); row != nullptr && row->menuText != nullptr)
                text = row->menuText;
    return {MenuSpec::Kind::Command, command, std::move(text), Holds(context.current, command), 0, {}};
}

std::vector<MenuSpec> Commands(std::initializer_list<int> commands, const SlotMenuContext& context) {
    std::vector<MenuSpec> items;
    for (const int command : commands) items.push_back(Command(command, context));
    return items;
}

// The key keeps the set and macro names cut to its fields; a library name
// is compared the same way.
template <std::size_t N>
bool SameName(const char (&field)[N], std::string_view name) {
    return EqualsNoCase(Trim(FieldText(field)), Trim(name.substr(0, std::min(name.size(), N - 1))));
}

MenuSpec MacroMenu(const SlotMenuContext& context) {
    std::vector<MenuSpec> items{Command(kCmdCreateMacro, context, "Create New Macro..."), Command(1003, context)};
    const auto& sets = context.library.Sets;
    const std::size_t setCount = std::min(sets.size(), kListedMacroSets);
    if (setCount > 0) items.push_back(Separator());
    for (std::size_t s = 0; s < setCount; ++s) {
        const MacroSet& set = sets[s];
        const bool setHeld =
            context.current.FunctionCode == kFnMacro && SameName(context.current.MacroSetName, set.Name);
        std::vector<MenuSpec> macros{Command(EditMacroSetCommand(static_cast<int>(s)), context, "Edit Macro...")};
        const std::size_t macroCount = std::min(set.Macros.size(), kListedMacroSets);
        if (macroCount > 0) macros.push_back(Separator());
        bool anyHeld = false;
        for (std::size_t m = 0; m < macroCount; ++m) {
            const std::string_view name = FieldText(set.Macros[m].Name);
            const bool held = setHeld && SameName(context.current.MacroName, name);
            anyHeld = anyHeld || held;
            macros.push_back({MenuSpec::Kind::Command,
                              MacroCommand(static_cast<int>(s), static_cast<int>(m)),
                              std::string(name),
                              held,
                              0,
                              {}});
        }
        MenuSpec submenu = Submenu(set.Name, std::move(macros));
        submenu.checked = anyHeld;
        items.push_back(std::move(submenu));
        // The maker's two preset sets close their group.
        if (EqualsNoCase(set.Name, "World of Warcraft") || (EqualsNoCase(set.Name, "Xfire") && s + 1 < setCount))
            items.push_back(Separator());
    }
    return Submenu("Macro + Preset Function", std::move(items));
}

MenuSpec TimerMenu(const SlotMenuContext& context) {
    std::vector<MenuSpec> items{Command(kCmdCreateTimer, context, "Create Timer"),
                                Command(kCmdEditTimers, context, "Edit/Delete Timer"), Command(502, context)};
    const std::size_t count = std::min<std::size_t>(context.timers.size(), kMaxTimers);
    if (count > 0) items.push_back(Separator());
    for (std::size_t t = 0; t < count; ++t) {
        const std::string_view name = FieldText(context.timers[t].TimerName);
        const bool held = context.current.FunctionCode == 0xBC && SameName(context.current.TimerName, name);
        items.push_back({MenuSpec::Kind::Command, TimerCommand(static_cast<int>(t)), std::string(name), held, 0, {}});
    }
    return Submenu("Assign a Timer", std::move(items));
}

MenuSpec ProfileMenu(const SlotMenuContext& c) {
    return Submenu("Profile", Commands({1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027}, c));
}

MenuSpec MultimediaMenu(const SlotMenuContext& c) {
    std::vector<MenuSpec> items = Commands({1030, 1031, 1032}, c);
    items.push_back(Separator());
    for (MenuSpec& item : Commands({1033, 1034, 1035, 1036, 1037}, c)) items.push_back(std::move(item));
    return Submenu("Multimedia", std::move(items));
}

MenuSpec InternetMenu(const SlotMenuContext& c) {
    return Submenu("Internet Explorer", Commands({1040, 1041, 1042, 1043, 1044, 1045, 1046}, c));
}

MenuSpec SystemMenu(const SlotMenuContext& c) { return Submenu("System", Commands({1047, 1048, 1049}, c)); }

MenuSpec PactMenu(const SlotMenuContext& c) {
    std::vector<MenuSpec> vask = Commands({11210, 11211}, c);
    vask.push_back(Separator());
    for (int step = 0; step < 5; ++step)
        vask.push_back(Command(11212 + step, c, SteadixLabel(step, SteadixForm::Menu, c.dpi)));
    return Submenu("VELDAN Pact",
                   {Command(11200, c), Separator(), Submenu("VELDAN Pact: Vask[+]", std::move(vask), kPactMenuWidth)},
                   kPactMenuWidth);
}

void Append(std::vector<MenuSpec>& items, std::vector<MenuSpec> more) {
    for (MenuSpec& item : more) items.push_back(std::move(item));
}

}  // namespace

MenuSpec SlotMenu(KeyPageKind page, int keyIndex, const SlotMenuContext& c) {
    std::vector<MenuSpec> items;
    switch (page) {
        case KeyPageKind::HotGrid:
            items = {MacroMenu(c), TimerMenu(c), Separator()};
            Append(items, Commands({1001, 1005, 1010, 1011}, c));
            break;
        case KeyPageKind::MacroKeys:
            if (keyIndex == kDuoCapsLockKey) {
                items = {Separator()};
                Append(items, Commands({1001, 1011}, c));
                break;
            }
            // The standard-layer keys may switch to the DuoLayer layer.
            if (kKeyIndexTable[static_cast<std::size_t>(keyIndex)].layer == KeyLayer::Standard)
                items = {Command(1002, c), PactMenu(c)};
            if (keyIndex == kCapsLockKey) {
                items.push_back(Separator());
                Append(items, Commands({1001, 1011}, c));
                break;
            }
            Append(items, {MacroMenu(c), TimerMenu(c), ProfileMenu(c), MultimediaMenu(c), InternetMenu(c),
                           SystemMenu(c), Separator()});
            Append(items, Commands({1001, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1060}, c));
            break;
        case KeyPageKind::MediaF:
            if (keyIndex >= kFirstMediaKey) {
                items = {MultimediaMenu(c), InternetMenu(c), SystemMenu(c), Separator()};
                Append(items, Commands({1001, 1006, 1007, 1008, 1009, 1011}, c));
            } else {
                items = {TimerMenu(c), ProfileMenu(c), Separator()};
                Append(items, Commands({1001, 1003, 1005, 1010, 1011}, c));
            }
            break;
    }
    return Submenu({}, std::move(items));
}

}  // namespace kelm
