#include "keyboard/KeyFunctions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

#include "keyboard/KeyCodes.h"
#include "keyboard/KeyNames.h"
#include "settings/ConfigFile.h"
#include "settings/Text.h"

namespace kelm {

namespace {

constexpr bool CatalogueAscends() {
    for (std::size_t i = 1; i < std::size(kFunctionCatalogue); ++i)
        if (kFunctionCatalogue[i - 1].code >= kFunctionCatalogue[i].code) return false;
    return true;
}
static_assert(CatalogueAscends(), "FindFunction searches by halves");

// The pair rule and the pages walk from either end of a twin link.
constexpr bool TwinsPointBack() {
    for (int i = 0; i < kKeyCount; ++i) {
        const int twin = kKeyIndexTable[i].twin;
        if (twin < 0) continue;
        if (kKeyIndexTable[twin].twin != i || kKeyIndexTable[twin].layer == kKeyIndexTable[i].layer) return false;
    }
    for (const DuoLayerPair& pair : kDuoLayerPairs)
        if (kKeyIndexTable[pair.standardKey].twin != pair.duoLayerKey ||
            kKeyIndexTable[pair.standardKey].layer != KeyLayer::Standard)
            return false;
    return true;
}
static_assert(TwinsPointBack());

struct StandardRow {
    const char* text;  // nullptr: the name of usage
    std::uint8_t usage;
};

// clang-format off
constexpr StandardRow kStandardLabels[kKeyCount] = {
    {"Shift+1", 0}, {"Shift+2", 0}, {"Shift+3", 0}, {"Shift+4", 0}, {"Shift+5", 0},
    {"Ctrl+1", 0}, {"Ctrl+2", 0}, {"Ctrl+3", 0}, {"Ctrl+4", 0}, {"Ctrl+5", 0},
    // The Hot Grid keys in their own layer: 1..5, Q W E R T, A S D F G, Z X C V B.
    {nullptr, 0x1E}, {nullptr, 0x1F}, {nullptr, 0x20}, {nullptr, 0x21}, {nullptr, 0x22},
    {nullptr, 0x14}, {nullptr, 0x1A}, {nullptr, 0x08}, {nullptr, 0x15}, {nullptr, 0x17},
    {nullptr, 0x04}, {nullptr, 0x16}, {nullptr, 0x07}, {nullptr, 0x09}, {nullptr, 0x0A},
    {nullptr, 0x1D}, {nullptr, 0x1B}, {nullptr, 0x06}, {nullptr, 0x19}, {nullptr, 0x05},
    {"Profile Down", 0}, {"Open Driver", 0}, {"Profile Up", 0},
    {"Caps Lock", 0}, {"Open Player", 0}, {"EMail", 0},
    {nullptr, 0x3A}, {nullptr, 0x3B}, {nullptr, 0x3C}, {nullptr, 0x3D}, {nullptr, 0x3E}, {nullptr, 0x3F},
    {nullptr, 0x40}, {nullptr, 0x41}, {nullptr, 0x42}, {nullptr, 0x43}, {nullptr, 0x44}, {nullptr, 0x45},
    {"Windows Mute", 0}, {"Windows Volume Down", 0}, {"Windows Volume Up", 0}, {"Play/Pause", 0},
    {"Previous Track", 0}, {"Next Track", 0}, {"IE Browser", 0}, {"My Computer", 0},
    {"Caps Lock", 0}, {"", 0},
};
// clang-format on

constexpr std::pair<std::uint8_t, const char*> kModifierPrefixes[] = {
    {kShortcutCtrl, "Ctrl+"}, {kShortcutShift, "Shift+"}, {kShortcutAlt, "Alt+"}, {kShortcutWin, "Win+"}};

constexpr std::uint8_t kFnFirstSteadix = 0xF7;

std::uint8_t PactCode(int command) {
    const int group = (command - kCmdFirstPact) / 10;
    const int item = (command - kCmdFirstPact) % 10;
    if (item == 0) return group == 1 ? kFnDuoLayerVask : kFnDuoLayerAllDevices;
    if (item == 1) return group == 1 ? kFnDuoLayerVaskLock : 0x8D;
    if (item <= 6) return static_cast<std::uint8_t>(kFnFirstSteadix + item - 2);
    return kFnDisabled;
}

bool IsPactCommand(int command) { return command >= kCmdFirstPact && command <= kCmdLastPact; }

std::string ShortcutLabel(const MacroKeyInfo& entry) {
    if (entry.EventCount == 0) return {};
    const std::uint8_t bits = entry.Events[0].Action;
    std::string label;
    if ((bits & kShortcutNone) == 0)
        for (const auto& [bit, prefix] : kModifierPrefixes)
            if ((bits & bit) != 0) label += prefix;
    return label + UsageName(entry.Events[0].KeyCode);
}

// Profile files written on Windows hold backslashes, so both separators end
// a folder.
std::string FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void ClearMacroFields(MacroKeyInfo& entry) {
    entry.EventCount = 0;
    entry.MacroOption = 0;
    std::memset(entry.Events, 0, sizeof entry.Events);
    std::memset(entry.MacroSetName, 0, sizeof entry.MacroSetName);
    std::memset(entry.MacroName, 0, sizeof entry.MacroName);
}

std::uint8_t ShortcutBits(std::uint8_t modifiers) {
    if ((modifiers & kShortcutNone) != 0) return kShortcutNone;
    return modifiers & (kShortcutShift | kShortcutCtrl | kShortcutAlt | kShortcutWin);
}

bool StoreShortcut(MacroKeyInfo& entry, const ShortcutChoice& choice) {
    if (FindKeyCode(choice.usage) == nullptr) return false;
    entry.EventCount = 1;
    entry.Events[0].KeyCode = choice.usage;
    entry.Events[0].Action = ShortcutBits(choice.modifiers);
    std::memset(entry.MacroSetName, 0, sizeof entry.MacroSetName);
    std::memset(entry.MacroName, 0, sizeof entry.MacroName);
    return true;
}

bool StoreQuickLaunch(MacroKeyInfo& entry, std::string_view path) {
    if (path.size() >= sizeof entry.QuickLaunchPath) return false;
    CopyField(entry.QuickLaunchPath, path);
    ClearMacroFields(entry);
    return true;
}

bool StoreTimer(MacroKeyInfo& entry, int command, const TimerList* timers) {
    const auto index = static_cast<std::size_t>(command - kCmdFirstTimer);
    if (timers == nullptr || index >= timers->size()) return false;
    const TimerRecord& timer = (*timers)[index];
    entry.TimerSeconds = timer.TimerSeconds;
    CopyField(entry.TimerName, FieldText(timer.TimerName));
    ClearMacroFields(entry);
    return true;
}

bool StoreMacro(MacroKeyInfo& entry, int command, const MacroLibrary* library) {
    const auto setIndex = static_cast<std::size_t>((command - kCmdFirstMacro) / 100);
    const auto macroIndex = static_cast<std::size_t>((command - kCmdFirstMacro) % 100);
    if (library == nullptr || setIndex >= library->Sets.size()) return false;
    const MacroSet& set = library->Sets[setIndex];
    if (macroIndex >= set.Macros.size()) return false;
    const MacroEntry& macro = set.Macros[macroIndex];
    // The names are cut to the key's 50-byte fields rather than written
    // past them; the macro manager edits the library in memory, so its
    // count is bounded here too.
    CopyField(entry.MacroSetName, set.Name);
    CopyField(entry.MacroName, FieldText(macro.Name));
    entry.MacroOption = macro.MacroOption;
    entry.EventCount = static_cast<std::uint16_t>(std::clamp(macro.EventCount, 0, kMaxEvents));
    static_assert(sizeof entry.Events == sizeof macro.Events);
    std::memcpy(entry.Events, macro.Events, sizeof entry.Events);
    return true;
}

}  // namespace

std::string StandardLabel(int keyIndex) {
    if (keyIndex < 0 || keyIndex >= kKeyCount) return {};
    const StandardRow& row = kStandardLabels[keyIndex];
    return row.text != nullptr ? std::string(row.text) : UsageName(row.usage);
}

const FunctionRow* FindFunction(std::uint8_t code) {
    const auto at = std::lower_bound(std::begin(kFunctionCatalogue), std::end(kFunctionCatalogue), code,
                                     [](const FunctionRow& row, std::uint8_t value) { return row.code < value; });
    return at != std::end(kFunctionCatalogue) && at->code == code ? &*at : nullptr;
}

std::optional<std::uint8_t> FunctionCodeForCommand(int command) {
    if (IsPactCommand(command)) return PactCode(command);
    for (const FunctionRow& row : kFunctionCatalogue)
        if (row.firstCommand != 0 && command >= row.firstCommand && command <= row.lastCommand) return row.code;
    return std::nullopt;
}

std::optional<std::int32_t> TargetDeviceForCommand(int command) {
    if (!IsPactCommand(command)) return std::nullopt;
    return (command - kCmdFirstPact) / 10 == 1 ? kTargetVask : kTargetAllDevices;
}

SteadixDpi ReadSteadixDpi(const StoreLocation& where) {
    std::int32_t cpi[5] = {};
    ReadMouseSensitivity(where, cpi);
    SteadixDpi dpi{};
    std::copy(std::begin(cpi), std::end(cpi), dpi.begin());
    return dpi;
}

std::string SteadixLabel(int step, SteadixForm form, const SteadixDpi& dpi) {
    if (step < 0 || step >= static_cast<int>(dpi.size())) return {};
    char text[32];
    const std::int32_t value = dpi[static_cast<std::size_t>(step)];
    if (value == 0)
        std::snprintf(text, sizeof text, "Steadix #%d", step + 1);
    else
        std::snprintf(text, sizeof text, form == SteadixForm::Menu ? "Steadix %d DPI" : "Steadix %d", value);
    return text;
}

std::string SteadixLabel(int step, SteadixForm form) {
    if (step < 0 || step >= static_cast<int>(SteadixDpi{}.size())) return {};
    return SteadixLabel(step, form, ReadSteadixDpi(StoreLocation::FromEnvironment()));
}

std::string FunctionLabel(const MacroKeyInfo& entry, const SteadixDpi& dpi) {
    const FunctionRow* row = FindFunction(entry.FunctionCode);
    if (row == nullptr) return {};
    const bool forVask = entry.TargetDevice == kTargetVask;
    switch (row->rule) {
        case LabelRule::Text:
            return row->label;
        case LabelRule::Standard:
            return StandardLabel(entry.KeyIndex);
        case LabelRule::Shortcut:
            return ShortcutLabel(entry);
        case LabelRule::QuickLaunch:
            return FileNameOf(FieldText(entry.QuickLaunchPath));
        case LabelRule::Timer:
            return std::string(FieldText(entry.TimerName));
        case LabelRule::Macro:
            return std::string(FieldText(entry.MacroName));
        case LabelRule::Vask:
            return forVask ? row->label : row->otherLabel;
        case LabelRule::Steadix:
            return (forVask ? std::string(row->label) : std::string()) +
                   SteadixLabel(row->code - kFnFirstSteadix, SteadixForm::Slot, dpi);
    }
    return {};
}

std::string FunctionLabel(const MacroKeyInfo& entry) {
    const FunctionRow* row = FindFunction(entry.FunctionCode);
    if (row == nullptr || row->rule != LabelRule::Steadix) return FunctionLabel(entry, SteadixDpi{});
    return FunctionLabel(entry, ReadSteadixDpi(StoreLocation::FromEnvironment()));
}

bool ApplyFunctionCommand(MacroKeyInfo& entry, int command, const FunctionCommandData& data) {
    const std::optional<std::uint8_t> code = FunctionCodeForCommand(command);
    if (!code) return false;
    const FunctionRow* row = FindFunction(*code);
    if (row == nullptr) return false;
    // Built aside so that a choice whose data is missing leaves no trace.
    MacroKeyInfo next;
    std::memcpy(&next, &entry, sizeof next);
    bool stored = true;
    switch (row->stores) {
        case Stores::Cleared:
            ClearMacroFields(next);
            break;
        case Stores::Shortcut:
            stored = StoreShortcut(next, data.shortcut);
            break;
        case Stores::QuickLaunch:
            stored = StoreQuickLaunch(next, data.quickLaunchPath);
            break;
        case Stores::Timer:
            stored = StoreTimer(next, command, data.timers);
            break;
        case Stores::Macro:
            stored = StoreMacro(next, command, data.library);
            break;
    }
    if (!stored) return false;
    next.FunctionCode = *code;
    if (const auto target = TargetDeviceForCommand(command)) next.TargetDevice = *target;
    std::memcpy(&entry, &next, sizeof entry);
    return true;
}

}  // namespace kelm
