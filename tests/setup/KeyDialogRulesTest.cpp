// What the key pages' dialogs decide, without their windows: the shortcut
// being chosen (keys by input code, the modifier boxes, what OK stores and
// how the slot then reads), the create-timer check, the edit/delete-timer
// editor's Save and Delete, and the quick-launch path check.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <cstring>
#include <string>
#include <vector>

#include "keyboard/KeyCodes.h"
#include "keyboard/KeyFunctions.h"
#include "settings/Text.h"
#include "setup/QuickLaunchCheck.h"
#include "setup/ShortcutEdit.h"
#include "setup/TimerEdits.h"

namespace kelm {
namespace {

constexpr std::uint8_t kUsageQ = 0x14;
constexpr std::uint8_t kAllBits[] = {kShortcutNone, kShortcutShift, kShortcutCtrl, kShortcutAlt, kShortcutWin};

template <typename Test>
std::uint8_t Bits(Test test) {
    int bits = 0;
    for (const std::uint8_t bit : kAllBits) bits |= test(bit) ? bit : 0;
    return static_cast<std::uint8_t>(bits);
}

std::uint8_t TickedBits(const ShortcutEdit& edit) {
    return Bits([&](std::uint8_t bit) { return edit.Ticked(bit); });
}

std::uint8_t EnabledBits(const ShortcutEdit& edit) {
    return Bits([&](std::uint8_t bit) { return edit.BoxEnabled(bit); });
}

TEST(ShortcutEditTest, StartsOnTheStoredKeyAndBitsWhereTheyMakeAShortcut) {
    struct Case {
        ShortcutChoice current;
        std::string name;  // "" : no key chosen, and no choice
        std::uint8_t ticked;
    };
    const Case cases[] = {
        {{kUsageQ, kShortcutCtrl | kShortcutAlt}, "Q", kShortcutCtrl | kShortcutAlt},
        // None stands alone, whatever else a damaged entry holds.
        {{kUsageQ, kShortcutNone | kShortcutCtrl}, "Q", kShortcutNone},
        {{kUsageQ, 0xE0 | kShortcutWin}, "Q", kShortcutWin},
        {{0xE0, 0}, "Left Control", 0},
        {{0, kShortcutShift}, "", kShortcutShift},
        {{0x32, 0}, "", 0},        // no row in the key-code table
        {{kMouseLeft, 0}, "", 0},  // a row, but no key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.current.usage});
        const ShortcutEdit edit(c.current);
        EXPECT_EQ(edit.KeyName(), c.name);
        EXPECT_EQ(TickedBits(edit), c.ticked);
        EXPECT_EQ(edit.Choice().has_value(), !c.name.empty());
    }
}

TEST(ShortcutEditTest, KeysWithARowBecomeTheKeyAndOthersLeaveItAsItWas) {
    ShortcutEdit edit({});
    struct Step {
        std::uint16_t inputCode;
        bool taken;
        std::string shown;
    };
    const Step steps[] = {
        {KEY_102ND, false, ""},                                                     // usage 0x64 has no row
        {KEY_Q, true, "Q"},       {KEY_102ND, false, "Q"}, {BTN_LEFT, false, "Q"},  // mouse rows are no keys
        {KEY_MUTE, false, "Q"},   {KEY_ESC, true, "Esc"},  {KEY_RIGHTALT, true, "Right Alt"},
        {KEY_KP1, true, "Num_1"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.inputCode);
        EXPECT_EQ(edit.PressKey(step.inputCode), step.taken);
        EXPECT_EQ(edit.KeyName(), step.shown);
    }
}

TEST(ShortcutEditTest, NoneClearsAndDisablesTheOtherBoxesUntilItIsUnticked) {
    ShortcutEdit edit({kUsageQ, 0});
    constexpr std::uint8_t kAll = kShortcutNone | kShortcutShift | kShortcutCtrl | kShortcutAlt | kShortcutWin;
    struct Step {
        std::uint8_t bit;
        bool tick;
        std::uint8_t ticked;
        std::uint8_t enabled;
    };
    const Step steps[] = {
        {kShortcutShift, true, kShortcutShift, kAll},
        {kShortcutWin, true, kShortcutShift | kShortcutWin, kAll},
        {kShortcutNone, true, kShortcutNone, kShortcutNone},
        {kShortcutCtrl, true, kShortcutNone, kShortcutNone},  // disabled: no effect
        {kShortcutNone, false, 0, kAll},
        {kShortcutAlt, true, kShortcutAlt, kAll},
        {kShortcutAlt, false, 0, kAll},
        {0x20, true, 0, kAll},  // not a box
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(int{step.bit});
        edit.SetBox(step.bit, step.tick);
        EXPECT_EQ(TickedBits(edit), step.ticked);
        EXPECT_EQ(EnabledBits(edit), step.enabled);
        EXPECT_EQ(edit.Choice()->modifiers, step.ticked);
    }
}

// What OK hands the page, stored as the page stores it, reads in the slot
// as the shortcut label.
TEST(ShortcutEditTest, TheChoiceStoresAsTheSlotLabelReadsIt) {
    struct Case {
        std::vector<std::uint8_t> ticks;
        std::uint8_t stored;
        std::string label;
    };
    const Case cases[] = {
        {{}, 0, "Q"},
        {{kShortcutNone}, kShortcutNone, "Q"},
        {{kShortcutAlt, kShortcutCtrl}, kShortcutCtrl | kShortcutAlt, "Ctrl+Alt+Q"},
        {{kShortcutWin, kShortcutShift, kShortcutAlt, kShortcutCtrl}, 0x1E, "Ctrl+Shift+Alt+Win+Q"},
        {{kShortcutShift, kShortcutNone}, kShortcutNone, "Q"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ShortcutEdit edit({});
        for (const std::uint8_t bit : c.ticks) edit.SetBox(bit, true);
        EXPECT_FALSE(edit.Choice()) << "no key, no shortcut";
        ASSERT_TRUE(edit.PressKey(KEY_Q));
        FunctionCommandData data;
        data.shortcut = *edit.Choice();
        MacroKeyInfo entry;
        std::memset(&entry, 0, sizeof entry);
        ASSERT_TRUE(ApplyFunctionCommand(entry, 1005, data));
        EXPECT_EQ(entry.FunctionCode, 0xB8);
        EXPECT_EQ(entry.EventCount, 1);
        EXPECT_EQ(entry.Events[0].KeyCode, kUsageQ);
        EXPECT_EQ(entry.Events[0].Action, c.stored);
        EXPECT_EQ(FunctionLabel(entry), c.label);
    }
}

TimerRecord Timer(std::string_view name, int seconds) {
    TimerRecord timer;
    std::memset(&timer, 0, sizeof timer);
    timer.TimerSeconds = seconds;
    CopyField(timer.TimerName, name);
    return timer;
}

std::vector<std::pair<std::string, int>> Listed(const TimerList& timers) {
    std::vector<std::pair<std::string, int>> listed;
    for (const TimerRecord& timer : timers) listed.emplace_back(FieldText(timer.TimerName), timer.TimerSeconds);
    return listed;
}

std::string Repeated(std::string_view part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
}

TEST(TimerEditsTest, ANewTimerNeedsANewNameOfUpTo24CharactersAnd10To999Seconds) {
    const TimerList timers{Timer("Egg", 60), Timer(" Tea break", 300)};
    struct Case {
        std::string name;
        int seconds;
        TimerProblem problem;
        std::string stored;
    };
    const Case cases[] = {
        {"  Pizza \t", 90, TimerProblem::None, "Pizza"},
        {"", 90, TimerProblem::EmptyName, ""},
        {" \t ", 90, TimerProblem::EmptyName, ""},
        {"EGG", 90, TimerProblem::NameTaken, ""},
        {"tea BREAK  ", 90, TimerProblem::NameTaken, ""},
        {Repeated("x", 24), 90, TimerProblem::None, Repeated("x", 24)},
        {Repeated("x", 25), 90, TimerProblem::NameTooLong, ""},
        // Characters, not bytes: 24 of two bytes each are a valid name.
        {Repeated("ä", 24), 90, TimerProblem::None, Repeated("ä", 24)},
        {Repeated("ä", 25), 90, TimerProblem::NameTooLong, ""},
        {"Pizza", 10, TimerProblem::None, "Pizza"},
        {"Pizza", 999, TimerProblem::None, "Pizza"},
        {"Pizza", 9, TimerProblem::SecondsOutOfRange, ""},
        {"Pizza", 1000, TimerProblem::SecondsOutOfRange, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.seconds));
        TimerRecord made = Timer("untouched", 1);
        EXPECT_EQ(MakeNewTimer(timers, c.name, c.seconds, made), c.problem);
        const TimerRecord expected =
            c.problem == TimerProblem::None ? Timer(c.stored, c.seconds) : Timer("untouched", 1);
        EXPECT_EQ(std::memcmp(&made, &expected, sizeof made), 0) << FieldText(made.TimerName);
    }
    TimerList full(kMaxTimers, Timer("t", 60));
    TimerRecord made{};
    EXPECT_EQ(MakeNewTimer(full, "Pizza", 60, made), TimerProblem::ListFull);
}

TEST(TimerEditsTest, SaveRenamesOrRetimesOnlyTheShownTimerAndNeverTakesAnotherOnesName) {
    using Listing = std::vector<std::pair<std::string, int>>;
    const TimerList start{Timer("Egg", 60), Timer("Tea", 300), Timer("Pizza", 720)};
    struct Case {
        int shown;
        std::string name;
        int seconds;
        TimerProblem problem;
        Listing after;
    };
    const Listing unchanged = Listed(start);
    const Case cases[] = {
        {-1, "Coffee", 90, TimerProblem::NoTimerShown, unchanged},
        {1, " tea ", 200, TimerProblem::None, {{"Egg", 60}, {"Tea", 200}, {"Pizza", 720}}},
        {1, " Coffee ", 90, TimerProblem::None, {{"Egg", 60}, {"Coffee", 90}, {"Pizza", 720}}},
        {1, "EGG", 90, TimerProblem::NameTaken, unchanged},
        {1, "  ", 90, TimerProblem::EmptyName, unchanged},
        {1, Repeated("x", 25), 90, TimerProblem::NameTooLong, unchanged},
        {1, "Tea", 5, TimerProblem::SecondsOutOfRange, unchanged},
        {1, "Coffee", 1000, TimerProblem::SecondsOutOfRange, unchanged},
        {7, "Coffee", 90, TimerProblem::NoTimerShown, unchanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.seconds));
        TimerEditor editor(start);
        editor.Show(c.shown);
        EXPECT_EQ(editor.Save(c.name, c.seconds), c.problem);
        EXPECT_EQ(Listed(editor.Timers()), c.after);
    }
}

TEST(TimerEditsTest, WhatAHandEditedFileGaveATimerIsKeptWhenSavedUnchanged) {
    const std::string longName = Repeated("y", 30);
    TimerEditor editor({Timer(longName, 5000), Timer("Egg", 60), Timer("egg ", 3)});
    editor.Show(0);
    EXPECT_EQ(editor.ShownName(), longName);
    EXPECT_EQ(editor.ShownSeconds(), 5000);
    EXPECT_EQ(editor.Save(longName, 5000), TimerProblem::None);
    EXPECT_EQ(editor.Save(longName, 60), TimerProblem::None);
    EXPECT_EQ(editor.Save(longName, 5000), TimerProblem::SecondsOutOfRange);
    // The second of two timers of one name keeps its own name.
    editor.Show(2);
    EXPECT_EQ(editor.Save("EGG", 3), TimerProblem::None);
    EXPECT_EQ(editor.Save("Egg", 30), TimerProblem::None);
    EXPECT_EQ(Listed(editor.Timers()),
              (std::vector<std::pair<std::string, int>>{{longName, 60}, {"Egg", 60}, {"egg ", 30}}));
}

TEST(TimerEditsTest, DeleteRemovesTheShownTimerAndShowsNoneAfterwards) {
    TimerEditor editor({Timer("Egg", 60), Timer("Tea", 300)});
    EXPECT_FALSE(editor.Delete());
    EXPECT_EQ(editor.Timers().size(), 2u);
    editor.Show(0);
    ASSERT_TRUE(editor.Delete());
    EXPECT_EQ(editor.Shown(), -1);
    EXPECT_EQ(editor.ShownName(), "");
    EXPECT_EQ(editor.ShownSeconds(), kTimerMinSeconds);
    EXPECT_EQ(Listed(editor.Timers()), (std::vector<std::pair<std::string, int>>{{"Tea", 300}}));
    editor.Show(0);
    ASSERT_TRUE(editor.Delete());
    EXPECT_TRUE(editor.Timers().empty());
    editor.Show(0);
    EXPECT_EQ(editor.Shown(), -1);
    EXPECT_FALSE(editor.Delete());
}

TEST(QuickLaunchCheckTest, APathMustNameSomethingAndFitTheFieldWhole) {
    static_assert(kMaxQuickLaunchPathBytes == 259);
    struct Case {
        std::string path;
        QuickLaunchProblem problem;
    };
    const Case cases[] = {
        {"/usr/games/supertux2", QuickLaunchProblem::None},
        {"", QuickLaunchProblem::Empty},
        {" \t", QuickLaunchProblem::Empty},
        {"/" + Repeated("a", 258), QuickLaunchProblem::None},
        {"/" + Repeated("a", 259), QuickLaunchProblem::TooLong},
        // Bytes count: 130 two-byte characters are 260 bytes.
        {Repeated("é", 129) + "/", QuickLaunchProblem::None},
        {Repeated("é", 130), QuickLaunchProblem::TooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.size());
        EXPECT_EQ(CheckQuickLaunchPath(c.path), c.problem);
    }
}

}  // namespace
}  // namespace kelm
