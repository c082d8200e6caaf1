// The key-code table against the facts it encodes: the HID-to-set-1 scan
// codes, the Linux input codes by name, and the virtual keys.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "keyboard/KeyCodes.h"

namespace kelm {
namespace {

TEST(KeyCodes, EveryRowIsFoundByCodeAndByVirtualKeyAndNoOtherCodeIs) {
    std::set<std::uint8_t> virtualKeys;
    for (const KeyCodeRow& row : kKeyCodeTable) {
        SCOPED_TRACE(::testing::Message() << "code 0x" << std::hex << int{row.code});
        EXPECT_EQ(FindKeyCode(row.code), &row);
        EXPECT_EQ(FindVirtualKey(row.virtualKey), &row);
        EXPECT_EQ(UsageToVirtualKey(row.code), row.virtualKey);
        EXPECT_TRUE(virtualKeys.insert(row.virtualKey).second);
        // Where the layout decides the key, the scan code is the set-1 code
        // of that position, which Linux numbers alike.
        if (row.code <= 0x45) {
            EXPECT_NE(row.scanCode, 0);
            EXPECT_EQ(row.inputCode, row.scanCode);
        } else {
            EXPECT_EQ(row.scanCode, 0);
        }
        EXPECT_EQ(IsMouseButtonCode(row.code), row.inputCode >= BTN_LEFT);
    }
    int found = 0;
    for (int code = 0; code <= 0xFF; ++code) found += UsageToVirtualKey(static_cast<std::uint8_t>(code)).has_value();
    EXPECT_EQ(found, 109);
    for (const int code : {0x00, 0x03, 0x32, 0x64, 0x66, 0xDF, 0xE8, 0xEF, 0xF5, 0xFF})
        EXPECT_EQ(FindKeyCode(static_cast<std::uint8_t>(code)), nullptr) << code;
}

struct Expected {
    std::uint8_t code;
    std::uint8_t virtualKey;
    std::uint8_t scanCode;
    std::uint16_t inputCode;
};

TEST(KeyCodes, RowsHoldTheirKeys) {
    const Expected rows[] = {
        {0x04, 'A', 0x1E, KEY_A},          {0x05, 'B', 0x30, KEY_B},           {0x1D, 'Z', 0x2C, KEY_Z},
        {0x1E, '1', 0x02, KEY_1},          {0x27, '0', 0x0B, KEY_0},           {0x28, 0x0D, 0x1C, KEY_ENTER},
        {0x29, 0x1B, 0x01, KEY_ESC},       {0x2A, 0x08, 0x0E, KEY_BACKSPACE},  {0x2B, 0x09, 0x0F, KEY_TAB},
        {0x2C, 0x20, 0x39, KEY_SPACE},     {0x2D, 0xBD, 0x0C, KEY_MINUS},      {0x2E, 0xBB, 0x0D, KEY_EQUAL},
        {0x2F, 0xDB, 0x1A, KEY_LEFTBRACE}, {0x30, 0xDD, 0x1B, KEY_RIGHTBRACE}, {0x31, 0xDC, 0x2B, KEY_BACKSLASH},
        {0x33, 0xBA, 0x27, KEY_SEMICOLON}, {0x34, 0xDE, 0x28, KEY_APOSTROPHE}, {0x35, 0xC0, 0x29, KEY_GRAVE},
        {0x36, 0xBC, 0x33, KEY_COMMA},     {0x37, 0xBE, 0x34, KEY_DOT},        {0x38, 0xBF, 0x35, KEY_SLASH},
        {0x39, 0x14, 0x3A, KEY_CAPSLOCK},  {0x3A, 0x70, 0x3B, KEY_F1},         {0x43, 0x79, 0x44, KEY_F10},
        {0x44, 0x7A, 0x57, KEY_F11},       {0x45, 0x7B, 0x58, KEY_F12},        {0x46, 0x2C, 0, KEY_SYSRQ},
        {0x47, 0x91, 0, KEY_SCROLLLOCK},   {0x48, 0x13, 0, KEY_PAUSE},         {0x49, 0x2D, 0, KEY_INSERT},
        {0x4A, 0x24, 0, KEY_HOME},         {0x4B, 0x21, 0, KEY_PAGEUP},        {0x4C, 0x2E, 0, KEY_DELETE},
        {0x4D, 0x23, 0, KEY_END},          {0x4E, 0x22, 0, KEY_PAGEDOWN},      {0x4F, 0x27, 0, KEY_RIGHT},
        {0x50, 0x25, 0, KEY_LEFT},         {0x51, 0x28, 0, KEY_DOWN},          {0x52, 0x26, 0, KEY_UP},
        {0x53, 0x90, 0, KEY_NUMLOCK},      {0x54, 0x6F, 0, KEY_KPSLASH},       {0x55, 0x6A, 0, KEY_KPASTERISK},
        {0x56, 0x6D, 0, KEY_KPMINUS},      {0x57, 0x6B, 0, KEY_KPPLUS},        {0x58, 0x6C, 0, KEY_KPENTER},
        {0x59, 0x61, 0, KEY_KP1},          {0x5A, 0x62, 0, KEY_KP2},           {0x5B, 0x63, 0, KEY_KP3},
        {0x5C, 0x64, 0, KEY_KP4},          {0x5D, 0x65, 0, KEY_KP5},           {0x5E, 0x66, 0, KEY_KP6},
        {0x5F, 0x67, 0, KEY_KP7},          {0x60, 0x68, 0, KEY_KP8},           {0x61, 0x69, 0, KEY_KP9},
        {0x62, 0x60, 0, KEY_KP0},          {0x63, 0x6E, 0, KEY_KPDOT},         {0x65, 0x5D, 0, KEY_COMPOSE},
        {0xE0, 0xA2, 0, KEY_LEFTCTRL},     {0xE1, 0xA0, 0, KEY_LEFTSHIFT},     {0xE2, 0xA4, 0, KEY_LEFTALT},
        {0xE3, 0x5B, 0, KEY_LEFTMETA},     {0xE4, 0xA3, 0, KEY_RIGHTCTRL},     {0xE5, 0xA1, 0, KEY_RIGHTSHIFT},
        {0xE6, 0xA5, 0, KEY_RIGHTALT},     {0xE7, 0x5C, 0, KEY_RIGHTMETA},     {0xF0, 0xF0, 0, BTN_LEFT},
        {0xF1, 0xF1, 0, BTN_RIGHT},        {0xF2, 0xF2, 0, BTN_MIDDLE},        {0xF3, 0xF3, 0, BTN_EXTRA},
        {0xF4, 0xF4, 0, BTN_SIDE},
    };
    for (const Expected& want : rows) {
        const KeyCodeRow* row = FindKeyCode(want.code);
        ASSERT_NE(row, nullptr) << int{want.code};
        EXPECT_EQ(row->virtualKey, want.virtualKey) << int{want.code};
        EXPECT_EQ(row->scanCode, want.scanCode) << int{want.code};
        EXPECT_EQ(row->inputCode, want.inputCode) << int{want.code};
    }
}

TEST(KeyCodes, LeftAndRightShiftCtrlAndAltFoldIntoTheGenericKeyAndNothingElseDoes) {
    const std::pair<std::uint8_t, std::uint8_t> folds[] = {
        {0xA0, VK_SHIFT}, {0xA1, VK_SHIFT}, {0xA2, VK_CONTROL}, {0xA3, VK_CONTROL}, {0xA4, VK_MENU},
        {0xA5, VK_MENU},  {0x5B, 0x5B},     {0x5C, 0x5C},       {0x9F, 0x9F},       {0xA6, 0xA6},
        {0x10, 0x10},     {0x41, 0x41},     {0x00, 0x00},
    };
    for (const auto& [from, to] : folds) EXPECT_EQ(FoldModifier(from), to) << int{from};
    // The generic keys go in as the left-hand ones.
    EXPECT_EQ(FindVirtualKey(VK_SHIFT)->inputCode, KEY_LEFTSHIFT);
    EXPECT_EQ(FindVirtualKey(VK_CONTROL)->inputCode, KEY_LEFTCTRL);
    EXPECT_EQ(FindVirtualKey(VK_MENU)->inputCode, KEY_LEFTALT);
}

}  // namespace
}  // namespace kelm
