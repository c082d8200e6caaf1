#include "setup/KeyPageController.h"

#include <algorithm>
#include <utility>

#include "settings/Text.h"
#include "setup/MacroManager.h"

namespace kelm {

namespace {

constexpr int kCmdShortcut = 1005;
constexpr int kCmdQuickLaunch = 1010;

// A command reaches the page only from the menu it opened; anything else
// (a stale or forged number) must not store what the slot never offered.
bool Offers(const MenuSpec& menu, int command) {
    return std::any_of(menu.items.begin(), menu.items.end(), [command](const MenuSpec& item) {
        return (item.kind == MenuSpec::Kind::Command && item.command == command) ||
               (item.kind == MenuSpec::Kind::Submenu && Offers(item, command));
    });
}

bool IsEditMacroSetCommand(int command) {
    return command >= kCmdFirstEditMacroSet && command < kCmdFirstEditMacroSet + kMaxMacroSets;
}

}  // namespace

MacroKeyInfo* KeyPageController::Entry(int keyIndex) {
    const int profile = session_.CurrentSlot();
    if (!IsValidSlot(profile) || keyIndex < 0 || keyIndex >= kKeyCount) return nullptr;
    return &session_.Working().Profiles[profile].Keys[keyIndex];
}

MenuSpec KeyPageController::OpenSlotMenu(KeyPageKind page, int keyIndex) {
    open_.reset();
    const MacroKeyInfo* entry = Entry(keyIndex);
    if (entry == nullptr) return {};
    // A copy: the check marks show the key as it was when the menu opened.
    const MacroKeyInfo current = *entry;
    MenuSpec menu =
        SlotMenu(page, keyIndex, {current, session_.Library(), session_.Timers(), ReadSteadixDpi(session_.Where())});
    open_ = OpenMenu{page, keyIndex, menu};
    return menu;
}

MenuSpec KeyPageController::OpenPlayerMenu() {
    open_.reset();
    const int profile = session_.CurrentSlot();
    if (!IsValidSlot(profile)) return {};
    MenuSpec menu;
    menu.kind = MenuSpec::Kind::Submenu;
    const std::int32_t option = session_.Working().Profiles[profile].MediaOption;
    for (std::size_t i = 0; i < kMediaPlayerNames.size(); ++i) {
        const int index = static_cast<int>(i);
        menu.items.push_back({MenuSpec::Kind::Command,
                              kFirstPlayerCommand + index,
                              std::string(kMediaPlayerNames[i]),
                              option == index,
                              0,
                              {}});
    }
    open_ = OpenMenu{KeyPageKind::MediaF, kPlayerSelector, menu};
    return menu;
}

std::string_view KeyPageController::PlayerName() const {
    const int profile = session_.CurrentSlot();
    if (!IsValidSlot(profile)) return {};
    const std::int32_t option = session_.Working().Profiles[profile].MediaOption;
    if (option < 0 || static_cast<std::size_t>(option) >= kMediaPlayerNames.size()) return {};
    return kMediaPlayerNames[static_cast<std::size_t>(option)];
}

KeyPageOutcome KeyPageController::OnMenuCommand(int command) {
    const std::optional<OpenMenu> menu = std::exchange(open_, std::nullopt);
    if (!menu || !Offers(menu->menu, command)) return {};
    if (menu->keyIndex == kPlayerSelector) {
        const int profile = session_.CurrentSlot();
        if (!IsValidSlot(profile)) return {};
        session_.Working().Profiles[profile].MediaOption = command - kFirstPlayerCommand;
        return {.stored = true};
    }
    const MacroKeyInfo* entry = Entry(menu->keyIndex);
    if (entry == nullptr) return {};
    if (command == kCmdCreateMacro) return RunMacroManager(-1, *entry);
    if (IsEditMacroSetCommand(command)) return RunMacroManager(command - kCmdFirstEditMacroSet, *entry);
    if (command == kCmdCreateTimer) return CreateTimer();
    if (command == kCmdEditTimers) return EditTimers();
    return Assign(*menu, command);
}

KeyPageOutcome KeyPageController::OnMacroManager() {
    open_.reset();
    MacroKeyInfo none{};
    return RunMacroManager(-1, none);
}

// The manager works on its own copy; the program's library changes only on
// OK, and after a Cancel it is read back from the file, as the manager may
// have recorded into it.
KeyPageOutcome KeyPageController::RunMacroManager(int startSet, const MacroKeyInfo& entry) {
    if (dialogs_ == nullptr) return {};
    MacroLibrary& library = session_.Library();
    std::optional<MacroLibrary> edited = dialogs_->RunMacroManager(library, startSet, entry);
    if (!edited) {
        CancelMacroManager(library, session_.Where());
        return {};
    }
    library = std::move(*edited);
    return {.filesNotSaved = !SaveMacroLibrary(library, session_.Where())};
}

KeyPageOutcome KeyPageController::CreateTimer() {
    TimerList& timers = session_.Timers();
    if (dialogs_ == nullptr || timers.size() >= kMaxTimers) return {};
    const std::optional<TimerRecord> timer = dialogs_->AskNewTimer(timers);
    if (!timer) return {};
    const std::size_t before = timers.size();
    // False both for a timer refused (nothing appended) and for one appended
    // whose file could not be written; only the latter is the user's news.
    if (kelm::CreateTimer(timers, session_.Where(), timer->TimerSeconds, FieldText(timer->TimerName))) return {};
    return {.filesNotSaved = timers.size() > before};
}

KeyPageOutcome KeyPageController::EditTimers() {
    TimerList& timers = session_.Timers();
    if (dialogs_ == nullptr || timers.empty()) return {};
    // Edited aside, so that a dialog's Cancel cannot leave half an edit.
    TimerList edited = timers;
    if (!dialogs_->EditTimers(edited)) return {};
    timers = std::move(edited);
    return {.filesNotSaved = !SaveTimers(timers, session_.Where())};
}

KeyPageOutcome KeyPageController::Assign(const OpenMenu& menu, int command) {
    const MacroKeyInfo& entry = *Entry(menu.keyIndex);
    FunctionCommandData data;
    data.timers = &session_.Timers();
    data.library = &session_.Library();
    std::string path;
    if (command == kCmdShortcut) {
        if (dialogs_ == nullptr) return {};
        // Only a shortcut's own bytes start the dialog: a macro's first event
        // would show up as a key the user never chose.
        const ShortcutChoice current = entry.FunctionCode == kFnShortcut
                                           ? ShortcutChoice{entry.Events[0].KeyCode, entry.Events[0].Action}
                                           : ShortcutChoice{};
        const std::optional<ShortcutChoice> chosen = dialogs_->AskShortcut(current);
        if (!chosen) return {};
        data.shortcut = *chosen;
    } else if (command == kCmdQuickLaunch) {
        if (dialogs_ == nullptr) return {};
        const std::string current =
            entry.FunctionCode == kFnQuickLaunch ? std::string(FieldText(entry.QuickLaunchPath)) : std::string();
        std::optional<std::string> chosen = dialogs_->AskQuickLaunchPath(current);
        if (!chosen) return {};
        path = std::move(*chosen);
        data.quickLaunchPath = path;
    }
    const bool pairRule = menu.page == KeyPageKind::MacroKeys;
    return {.stored = AssignKeyFunction(session_.Working(), menu.keyIndex, command, data, backup_, pairRule)};
}

}  // namespace kelm
