// Key names and the virtual key translation, over every byte value, so that
// a name added, lost or moved shows and no value falls through to garbage.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "keyboard/KeyCodes.h"
#include "keyboard/KeyNames.h"

namespace kelm {
namespace {

std::map<int, std::string> Named(std::initializer_list<std::pair<const int, std::string>> rows) { return rows; }

void AddRun(std::map<int, std::string>& names, int first, const char* prefix, int firstNumber, int count) {
    for (int i = 0; i < count; ++i) names[first + i] = prefix + std::to_string(firstNumber + i);
}

TEST(KeyNames, EveryUsageHasItsNameAndNoOtherUsageHasOne) {
    // clang-format off
    auto want = Named({
        {40, "Enter"}, {41, "Esc"}, {42, "BackSpace"}, {43, "Tab"}, {44, "Space"}, {45, "-"},
        {46, "="}, {47, "["}, {48, "]"}, {49, "\\"}, {51, ";"}, {52, "'"},
        {53, "`"}, {54, ","}, {55, "."}, {56, "/"}, {57, "Caps Lock"}, {39, "0"},
        {70, "Print Screen"}, {71, "Scroll Lock"}, {72, "Break"}, {73, "Insert"}, {74, "Home"}, {75, "Page Up"},
        {76, "Delete"}, {77, "End"}, {78, "Page Down"}, {79, "Right Arrow"}, {80, "Left Arrow"}, {81, "Down Arrow"},
        {82, "Up Arrow"}, {83, "Num Lock"}, {84, "Num_/"}, {85, "Num_*"}, {86, "Num_-"}, {87, "Num_+"},
        {88, "Num_Enter"}, {98, "Num_0"}, {99, "Num_."}, {100, "Europe 2"}, {101, "APP"}, {130, "Sleep"},
        {224, "Left Control"}, {225, "Left Shift"}, {226, "Left Alt"}, {227, "Left GUI"},
        {228, "Right Control"}, {229, "Right Shift"}, {230, "Right Alt"}, {231, "Right GUI"},
        {240, "Left Button"}, {241, "Right Button"}, {242, "Wheel"}, {243, "Side Button 1"}, {244, "Side Button 2"},
    });
    // clang-format on
    for (int i = 0; i < 26; ++i) want[4 + i] = std::string(1, static_cast<char>('A' + i));
    AddRun(want, 30, "", 1, 9);
    AddRun(want, 58, "F", 1, 12);
    AddRun(want, 89, "Num_", 1, 9);
    // 50 (0x32, the non-US #) has no row in the key-code table, so no name.
    for (int usage = 0; usage <= 0xFF; ++usage) {
        const auto at = want.find(usage);
        EXPECT_EQ(UsageName(static_cast<std::uint8_t>(usage)), at == want.end() ? "" : at->second) << usage;
    }
}

TEST(KeyNames, EveryVirtualKeyHasItsNameOrItsUsCharacter) {
    // clang-format off
    auto want = Named({
        {8, "BackSpace"}, {9, "Tab"}, {12, "Clr"}, {13, "Enter"}, {16, "Shift"}, {17, "Ctrl"},
        {18, "Alt"}, {19, "Pause"}, {20, "Caps Lock"}, {27, "Esc"}, {32, "Space"}, {33, "Page Up"},
        {34, "Page Down"}, {35, "End"}, {36, "Home"}, {37, "Left Arrow"}, {38, "Up Arrow"}, {39, "Right Arrow"},
        {40, "Down Arrow"}, {41, "Select"}, {42, "Print Screen"}, {43, "Exe"}, {44, "Snapshot"}, {45, "Insert"},
        {46, "Delete"}, {47, "Help"}, {91, "Left Windows Button"}, {92, "Right Windows Button"}, {93, "APP"},
        {106, "Num*"}, {107, "Num+"}, {108, "NumRet"}, {109, "Num-"}, {110, "Num."}, {111, "Num/"},
        {144, "Num Lock"}, {145, "Scroll Lock"}, {160, "Left Shift"}, {161, "Right Shift"}, {162, "Left Ctrl"},
        {163, "Right Ctrl"}, {164, "Left Alt"}, {165, "Right Alt"}, {240, "Left Button"}, {241, "Right Button"},
        {242, "Wheel"}, {243, "Side Button 1"}, {244, "Side Button 2"},
        {0xBA, ";"}, {0xBB, "="}, {0xBC, ","}, {0xBD, "-"}, {0xBE, "."}, {0xBF, "/"},
        {0xC0, "`"}, {0xDB, "["}, {0xDC, "\\"}, {0xDD, "]"}, {0xDE, "'"}, {0xE2, "\\"},
    });
    // clang-format on
    AddRun(want, 96, "Num", 0, 10);
    AddRun(want, 112, "F", 1, 12);
    AddRun(want, '0', "", 0, 10);
    for (char letter = 'A'; letter <= 'Z'; ++letter) want[letter] = std::string(1, letter);
    for (int vk = 0; vk <= 0xFF; ++vk) {
        const auto at = want.find(vk);
        EXPECT_EQ(VirtualKeyName(static_cast<std::uint8_t>(vk)), at == want.end() ? "" : at->second) << vk;
    }
}

TEST(KeyNames, VirtualKeysAndUsagesTranslateBothWaysThroughTheOneTable) {
    int found = 0;
    for (int vk = 0; vk <= 0xFF; ++vk) {
        const auto usage = VirtualKeyToUsage(static_cast<std::uint8_t>(vk));
        if (!usage) continue;
        ++found;
        ASSERT_NE(FindKeyCode(*usage), nullptr) << vk;
        EXPECT_EQ(FindKeyCode(*usage)->virtualKey, vk);
        EXPECT_EQ(UsageToVirtualKey(*usage), vk);
    }
    EXPECT_EQ(found, 109);
    for (const KeyCodeRow& row : kKeyCodeTable) EXPECT_EQ(VirtualKeyToUsage(row.virtualKey), row.code) << int{row.code};
    // The generic modifiers have no row of their own; the hook reports sides.
    for (const std::uint8_t generic : {VK_SHIFT, VK_CONTROL, VK_MENU})
        EXPECT_EQ(VirtualKeyToUsage(generic), std::nullopt) << int{generic};
    EXPECT_EQ(VirtualKeyToUsage('Q'), 0x14);
    EXPECT_EQ(VirtualKeyToUsage(0xA5), 0xE6);
}

}  // namespace
}  // namespace kelm
