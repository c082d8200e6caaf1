// The key-assignment pages' choices without widgets: every command of
// every slot's menu stores its function on its own key, the dialogs'
// answers are stored on OK and nothing moves on Cancel, the macro library
// and the timers reach their files (or the failure is told), the timer
// limits, the DuoLayer pair rule through the macro-key page, and the media
// player selector.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "settings/Text.h"
#include "setup/KeyPageController.h"
#include "setup/KeyPageLayout.h"
#include "tests/setup/FakeMonitorLink.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm::test {
namespace {

constexpr int kM3 = 2;
constexpr int kEm3 = 7;
constexpr int kCapsLock = 56;
constexpr int kDuoCapsLock = 57;
constexpr int kShortcut = 1005;
constexpr int kQuickLaunch = 1010;

// Answers as a user would, from what the test set; remembers what each
// dialog was started on.
class ScriptedDialogs final : public IKeyPageDialogs {
public:
    std::optional<ShortcutChoice> AskShortcut(const ShortcutChoice& current) override {
        shortcutStart = current;
        return shortcut;
    }
    std::optional<std::string> AskQuickLaunchPath(const std::string& current) override {
        pathStart = current;
        return path;
    }
    std::optional<TimerRecord> AskNewTimer(const TimerList&) override {
        ++asked;
        return newTimer;
    }
    bool EditTimers(TimerList& timers) override {
        ++asked;
        if (editTimers) editTimers(timers);
        return editOk;
    }
    std::optional<MacroLibrary> RunMacroManager(const MacroLibrary& library, int set, const MacroKeyInfo&) override {
        ++asked;
        startSet = set;
        if (!managerOk) return std::nullopt;
        MacroLibrary edited = library;
        edited.Sets.push_back({"Added", {}});
        return edited;
    }

    std::optional<ShortcutChoice> shortcut = ShortcutChoice{0x14, kShortcutCtrl | kShortcutAlt};
    std::optional<std::string> path = std::string("/opt/games/run.sh");
    std::optional<TimerRecord> newTimer;
    std::function<void(TimerList&)> editTimers;
    bool editOk = true;
    bool managerOk = true;
    ShortcutChoice shortcutStart{};
    std::string pathStart = "unset";
    int startSet = -2;
    int asked = 0;
};

TimerRecord Timer(const std::string& name, int seconds) {
    TimerRecord timer{};
    timer.TimerSeconds = seconds;
    CopyField(timer.TimerName, name);
    return timer;
}

// What the dialog or list behind a command gave, as the key holds it.
std::string Given(int command, const MacroKeyInfo& key) {
    switch (command) {
        case 1100:
            return std::string(FieldText(key.MacroName));
        case 505:
            return std::string(FieldText(key.TimerName));
        case kShortcut:
            return FunctionLabel(key);
        case kQuickLaunch:
            return std::string(FieldText(key.QuickLaunchPath));
        default:
            return {};
    }
}
const std::map<int, std::string> kGiven{
    {1100, "Boost"}, {505, "Pizza"}, {kShortcut, "Ctrl+Alt+Q"}, {kQuickLaunch, "/opt/games/run.sh"}};

void Commands(const MenuSpec& menu, std::vector<int>& out) {
    for (const MenuSpec& item : menu.items) {
        if (item.kind == MenuSpec::Kind::Command) out.push_back(item.command);
        if (item.kind == MenuSpec::Kind::Submenu) Commands(item, out);
    }
}

class KeyPageControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        monitor.block->CurrentProfile = 1;
        session.Start();
        MacroLibrary& library = session.Library();
        library.Sets = {{"Racing", {}}};
        library.Sets[0].Macros.resize(1);
        CopyField(library.Sets[0].Macros[0].Name, "Boost");
        library.Sets[0].Macros[0].EventCount = 2;
        ASSERT_TRUE(SaveMacroLibrary(library, folder.Where()));
        session.Timers() = {Timer("Pizza", 600)};
        ASSERT_TRUE(SaveTimers(session.Timers(), folder.Where()));
        controller.SetDialogs(&dialogs);
    }
    KeyPageOutcome Choose(KeyPageKind page, int key, int command) {
        controller.OpenSlotMenu(page, key);
        return controller.OnMenuCommand(command);
    }
    MacroKeyInfo& Key(int key) { return session.Working().Profiles[1].Keys[key]; }
    bool Changed(int key) const { return session.Working().Flags.KeyChanged[1][key] == 1; }
    bool SameRecord(const SettingsRecord& other) const {
        return std::memcmp(&other, &session.Working(), sizeof other) == 0;
    }

    TempProgramFolder folder;
    FakeMonitorLink monitor;
    SetupSession session{monitor, folder.Where()};
    ScriptedDialogs dialogs;
    KeyPageController controller{session};
};

TEST_F(KeyPageControllerTest, EveryCommandOfEverySlotsMenuStoresItsFunctionOnThatKeyAlone) {
    dialogs.managerOk = false;  // the library stays as the file holds it
    const auto start = std::make_unique<SettingsRecord>(session.Working());
    int stored = 0;
    for (const KeyPageKind page : {KeyPageKind::HotGrid, KeyPageKind::MacroKeys, KeyPageKind::MediaF}) {
        for (int slot = 0; slot < static_cast<int>(KeyPageSlotLayouts(page).size()); ++slot) {
            const int key = SlotKeyIndex(page, slot);
            std::vector<int> commands;
            Commands(controller.OpenSlotMenu(page, key), commands);
            for (const int command : commands) {
                session.Working() = *start;
                const KeyPageOutcome outcome = Choose(page, key, command);
                const auto code = FunctionCodeForCommand(command);
                SCOPED_TRACE(testing::Message() << "key " << key << " command " << command);
                EXPECT_EQ(outcome.stored, code.has_value());
                EXPECT_FALSE(outcome.filesNotSaved);
                if (!code) {
                    EXPECT_TRUE(SameRecord(*start));
                    continue;
                }
                ++stored;
                EXPECT_EQ(Key(key).FunctionCode, *code);
                EXPECT_TRUE(Changed(key));
                const auto given = kGiven.find(command);
                EXPECT_EQ(Given(command, Key(key)), given == kGiven.end() ? "" : given->second);
                // Only a standard key of the macro-key page moves its twin.
                const int twin = kKeyIndexTable[static_cast<std::size_t>(key)].twin;
                const bool movesTwin = page == KeyPageKind::MacroKeys && key != kCapsLock && twin >= 0 &&
                                       kKeyIndexTable[static_cast<std::size_t>(key)].layer == KeyLayer::Standard &&
                                       IsDuoLayerFunction(*code);
                for (int other = 0; other < kKeyCount; ++other) {
                    if (other == key) continue;
                    const bool moved = std::memcmp(&Key(other), &start->Profiles[1].Keys[other], sizeof(MacroKeyInfo));
                    EXPECT_EQ(moved, movesTwin && other == twin) << "other key " << other;
                    EXPECT_EQ(Changed(other), moved) << "other key " << other;
                }
            }
        }
    }
    EXPECT_GT(stored, 600);
}

TEST_F(KeyPageControllerTest, ADialogsOkIsStoredAndItsCancelLeavesTheKeyAsItWas) {
    Key(10).FunctionCode = 0xB9;
    CopyField(Key(10).QuickLaunchPath, "/usr/bin/old");
    Key(12).FunctionCode = 0xB8;
    Key(12).EventCount = 1;
    Key(12).Events[0] = {0x04, 0x03, 0};
    Key(13).FunctionCode = 0xBE;
    Key(13).EventCount = 1;
    Key(13).Events[0] = {0x05, 0x01, 0};
    ASSERT_TRUE(Choose(KeyPageKind::HotGrid, 10, kQuickLaunch).stored);
    EXPECT_EQ(dialogs.pathStart, "/usr/bin/old");
    EXPECT_EQ(FieldText(Key(10).QuickLaunchPath), "/opt/games/run.sh");
    // A key that launches nothing starts the dialog empty.
    Choose(KeyPageKind::HotGrid, 11, kQuickLaunch);
    EXPECT_EQ(dialogs.pathStart, "");

    ASSERT_TRUE(Choose(KeyPageKind::HotGrid, 12, kShortcut).stored);
    EXPECT_EQ(dialogs.shortcutStart.usage, 0x04);
    EXPECT_EQ(dialogs.shortcutStart.modifiers, 0x03);
    EXPECT_EQ(FunctionLabel(Key(12)), "Ctrl+Alt+Q");
    // A macro's first event is no shortcut the user chose.
    ASSERT_TRUE(Choose(KeyPageKind::HotGrid, 13, kShortcut).stored);
    EXPECT_EQ(dialogs.shortcutStart.usage, 0);
    EXPECT_EQ(dialogs.shortcutStart.modifiers, 0);

    dialogs.shortcut.reset();
    dialogs.path.reset();
    const auto before = std::make_unique<SettingsRecord>(session.Working());
    for (const int command : {kShortcut, kQuickLaunch}) {
        EXPECT_FALSE(Choose(KeyPageKind::MediaF, 40, command).stored);
        EXPECT_FALSE(Choose(KeyPageKind::MacroKeys, kM3, command).stored);
    }
    EXPECT_TRUE(SameRecord(*before));

    // Without dialogs the entries that need one do nothing.
    dialogs.path = "/bin/true";
    controller.SetDialogs(nullptr);
    EXPECT_FALSE(Choose(KeyPageKind::MediaF, 40, kQuickLaunch).stored);
    EXPECT_TRUE(SameRecord(*before));
}

TEST_F(KeyPageControllerTest, TheMacroManagersOkIsSavedAndItsCancelReadsTheFileBack) {
    const auto before = std::make_unique<SettingsRecord>(session.Working());
    ASSERT_FALSE(Choose(KeyPageKind::HotGrid, 12, 11100).stored);
    EXPECT_EQ(dialogs.startSet, 0);
    MacroLibrary saved;
    LoadMacroLibrary(saved, folder.Where());
    ASSERT_EQ(saved.Sets.size(), 2u);
    EXPECT_EQ(session.Library().Sets.size(), 2u);

    dialogs.managerOk = false;
    session.Library().Sets.clear();  // what a recording in the cancelled manager may leave
    EXPECT_FALSE(controller.OnMacroManager().stored);
    EXPECT_EQ(dialogs.startSet, -1);
    EXPECT_EQ(session.Library().Sets.size(), 2u);
    EXPECT_TRUE(SameRecord(*before));
}

TEST_F(KeyPageControllerTest, AFileThatCannotBeWrittenIsToldAndNotTakenForSaved) {
    std::filesystem::remove(folder.Where().MacroLibraryPath());
    std::filesystem::remove(folder.Where().TimerPath());
    std::filesystem::create_directory(folder.Where().MacroLibraryPath());
    std::filesystem::create_directory(folder.Where().TimerPath());
    EXPECT_TRUE(Choose(KeyPageKind::HotGrid, 10, 1099).filesNotSaved);
    dialogs.newTimer = Timer("Tea", 180);
    EXPECT_TRUE(Choose(KeyPageKind::HotGrid, 10, 500).filesNotSaved);
    EXPECT_TRUE(Choose(KeyPageKind::HotGrid, 10, 501).filesNotSaved);
}

TEST_F(KeyPageControllerTest, TimersAreCreatedUpToFiftyAndEditedOnlyWhenThereAreAny) {
    TimerList& timers = session.Timers();
    timers.clear();
    EXPECT_FALSE(Choose(KeyPageKind::MediaF, 36, 501).filesNotSaved);
    EXPECT_EQ(dialogs.asked, 0);

    for (int i = 0; i < kMaxTimers - 1; ++i) timers.push_back(Timer("T" + std::to_string(i), 10));
    dialogs.newTimer = Timer("Last", 30);
    Choose(KeyPageKind::MediaF, 36, 500);
    ASSERT_EQ(timers.size(), static_cast<std::size_t>(kMaxTimers));
    TimerList saved;
    LoadTimers(saved, folder.Where());
    ASSERT_EQ(saved.size(), static_cast<std::size_t>(kMaxTimers));
    EXPECT_EQ(FieldText(saved.back().TimerName), "Last");
    // The 50th timer is offered and stored; there is no 51st.
    ASSERT_TRUE(Choose(KeyPageKind::MediaF, 36, TimerCommand(kMaxTimers - 1)).stored);
    EXPECT_EQ(FieldText(Key(36).TimerName), "Last");
    EXPECT_EQ(Key(36).TimerSeconds, 30);
    const int asked = dialogs.asked;
    Choose(KeyPageKind::MediaF, 36, 500);
    EXPECT_EQ(dialogs.asked, asked);

    // Edited aside: a Cancel keeps the list, an OK is written.
    dialogs.editTimers = [](TimerList& list) { list.erase(list.begin()); };
    dialogs.editOk = false;
    Choose(KeyPageKind::MediaF, 36, 501);
    EXPECT_EQ(timers.size(), static_cast<std::size_t>(kMaxTimers));
    dialogs.editOk = true;
    Choose(KeyPageKind::MediaF, 36, 501);
    LoadTimers(saved, folder.Where());
    EXPECT_EQ(saved.size(), static_cast<std::size_t>(kMaxTimers - 1));
}

TEST_F(KeyPageControllerTest, TheMacroKeyPageSwitchesTheTwinOffAndGivesItBack) {
    Key(kEm3).FunctionCode = 0xC1;
    ASSERT_TRUE(Choose(KeyPageKind::MacroKeys, kM3, 1002).stored);
    EXPECT_EQ(Key(kEm3).FunctionCode, 0xDF);
    EXPECT_EQ(FunctionLabel(Key(kEm3)), "Disabled");
    EXPECT_TRUE(Changed(kEm3));
    EXPECT_EQ(controller.Backup()[1][5], 0xC1);
    ASSERT_TRUE(Choose(KeyPageKind::MacroKeys, kM3, 1001).stored);
    EXPECT_EQ(Key(kEm3).FunctionCode, 0xC1);
}

TEST_F(KeyPageControllerTest, OnlyWhatTheOpenMenuOffersIsActedOnAndOnce) {
    const auto before = std::make_unique<SettingsRecord>(session.Working());
    EXPECT_FALSE(controller.OnMenuCommand(1011).stored);                      // no menu open
    EXPECT_FALSE(Choose(KeyPageKind::MacroKeys, kDuoCapsLock, 1002).stored);  // not offered there
    EXPECT_FALSE(Choose(KeyPageKind::HotGrid, 10, 1060).stored);
    EXPECT_TRUE(SameRecord(*before));
    ASSERT_TRUE(Choose(KeyPageKind::MacroKeys, kDuoCapsLock, 1011).stored);
    EXPECT_EQ(Key(kDuoCapsLock).FunctionCode, 0x00);
    EXPECT_FALSE(controller.OnMenuCommand(1001).stored);  // that menu is closed
}

TEST_F(KeyPageControllerTest, ThePlayerSelectorShowsAndStoresTheProfilesPlayer) {
    session.Working().Profiles[1].MediaOption = 1;
    EXPECT_EQ(controller.PlayerName(), "iTunes");
    const MenuSpec menu = controller.OpenPlayerMenu();
    ASSERT_EQ(menu.items.size(), 4u);
    EXPECT_EQ(menu.items[2].text, "VLC Media Player");
    EXPECT_EQ(menu.items[2].command, 102);
    EXPECT_TRUE(menu.items[1].checked);
    EXPECT_FALSE(menu.items[0].checked);
    EXPECT_TRUE(controller.OnMenuCommand(103).stored);
    EXPECT_EQ(session.Working().Profiles[1].MediaOption, 3);
    EXPECT_EQ(session.Working().Profiles[0].MediaOption, monitor.block->Profiles[0].MediaOption);
    controller.OpenPlayerMenu();
    EXPECT_FALSE(controller.OnMenuCommand(1011).stored);
    session.Working().Profiles[1].MediaOption = 9;
    EXPECT_EQ(controller.PlayerName(), "");
}

TEST(KeyPageLayout, EachFieldIsNamedForItsKeyAndTheThreePagesAssignEveryKeyOnce) {
    std::set<int> keys;
    for (const KeyPageKind page : {KeyPageKind::HotGrid, KeyPageKind::MacroKeys, KeyPageKind::MediaF}) {
        const auto layouts = KeyPageSlotLayouts(page);
        for (std::size_t slot = 0; slot < layouts.size(); ++slot) {
            const int key = SlotKeyIndex(page, static_cast<int>(slot));
            ASSERT_TRUE(key >= 0 && key < kKeyCount) << layouts[slot];
            EXPECT_EQ(layouts[slot].substr(0, layouts[slot].find(',')),
                      kKeyIndexTable[static_cast<std::size_t>(key)].slotName);
            EXPECT_TRUE(keys.insert(key).second) << layouts[slot];
        }
    }
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kKeyCount));
}

}  // namespace
}  // namespace kelm::test
