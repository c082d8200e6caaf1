// What the key-assignment pages do with the user's choice in a slot's menu,
// apart from any widget: the menu of the slot opened, then its command
// stored in the current profile's key entry (asking the user first through
// the dialogs where the command needs an answer), or the macro manager and
// the timer dialogs run with their files written. One controller serves
// the three pages.
//
//   IDLE ──OpenSlotMenu / OpenPlayerMenu──► MENU OPEN ──OnMenuCommand──► IDLE
//                 ▲                             │ (any command, acted on
//                 └─────── another Open... ─────┘  only when the menu offers it)
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "setup/KeyAssignment.h"
#include "setup/KeyPageDialogs.h"
#include "setup/SetupSession.h"
#include "setup/SlotMenus.h"

namespace kelm {

// The media player selector of the Media F page: commands 100.. in
// MediaOption order.
inline constexpr int kFirstPlayerCommand = 100;
inline constexpr std::array<std::string_view, 4> kMediaPlayerNames{"Windows Media player", "iTunes", "VLC Media Player",
                                                                   "Winamp"};

// What a command did, for the page to show.
struct KeyPageOutcome {
    bool stored = false;         // a key entry or the media player of the profile changed
    bool filesNotSaved = false;  // the macro library or the timer file could not be written
};

class KeyPageController {
public:
    explicit KeyPageController(SetupSession& session) : session_(session) {}

    // The dialogs the commands ask; while none are set, the commands that
    // need one do nothing.
    void SetDialogs(IKeyPageDialogs* dialogs) { dialogs_ = dialogs; }

    // The menu of keyIndex's slot on page with what the key holds in the
    // current profile checked; empty when no profile is current.
    MenuSpec OpenSlotMenu(KeyPageKind page, int keyIndex);
    // The media player selector, the current profile's player checked.
    MenuSpec OpenPlayerMenu();
    // The choice in the menu opened last, which is closed by it.
    KeyPageOutcome OnMenuCommand(int command);
    // The Macro Manager button: the manager for a new macro, as the menus'
    // "Create New Macro..." opens it.
    KeyPageOutcome OnMacroManager();

    // The current profile's player, or "" when its MediaOption names none.
    std::string_view PlayerName() const;
    const DuoLayerBackup& Backup() const { return backup_; }

private:
    struct OpenMenu {
        KeyPageKind page;
        int keyIndex;  // kPlayerSelector for the media player selector
        MenuSpec menu;
    };
    static constexpr int kPlayerSelector = -1;

    MacroKeyInfo* Entry(int keyIndex);
    KeyPageOutcome RunMacroManager(int startSet, const MacroKeyInfo& entry);
    KeyPageOutcome CreateTimer();
    KeyPageOutcome EditTimers();
    KeyPageOutcome Assign(const OpenMenu& menu, int command);

    SetupSession& session_;
    IKeyPageDialogs* dialogs_ = nullptr;
    std::optional<OpenMenu> open_;
    // The twins the pair rule switched off, for every profile. It lives
    // here, with the one controller that the main window owns for the whole
    // run and lends to all three pages, because it belongs to the pages'
    // rule: it must outlast a page switch and a profile switch, yet it is
    // nothing the session saves, applies or reloads from KelmWatch.
    DuoLayerBackup backup_{};
};

}  // namespace kelm
