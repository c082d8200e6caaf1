#include <gtest/gtest.h>

#include "emulator/EmuKeyTable.h"
#include "settings/Defaults.h"

namespace kelm::emu {
namespace {

std::optional<KeyEvent> EventOf(std::uint8_t code, int keyIndex, bool release) {
    MacroKeyInfo entry;
    DefaultKeyEntry(entry, keyIndex);
    entry.FunctionCode = code;
    return KeyEventFor(entry, keyIndex, release);
}

struct Row {
    std::uint8_t code;
    int keyIndex;
    std::optional<KeyEvent> press;
    std::optional<KeyEvent> release;
};

TEST(EmuKeyTable, EachFunctionRaisesItsEvent) {
    const std::vector<Row> rows = {
        {0xB8, 9, KeyEvent{0x0D00, 10}, KeyEvent{0x0D00, 0x010A}},
        {0xBC, 47, KeyEvent{0x0D00, 48}, KeyEvent{0x0D00, 0x0130}},
        {0xBD, 0, KeyEvent{0x0D00, 1}, KeyEvent{0x0D00, 0x0101}},
        {0xBE, 35, KeyEvent{0x0D00, 36}, KeyEvent{0x0D00, 0x0124}},
        {0xB9, 11, KeyEvent{0x0700, 12}, std::nullopt},
        {0xDD, 31, KeyEvent{0x1000, 1}, std::nullopt},
        {0xCB, 48, KeyEvent{0x0B00, 0x20}, KeyEvent{0x0B00, 0x0120}},
        {0xCC, 51, KeyEvent{0x0B00, 0x23}, KeyEvent{0x0B00, 0x0123}},
        {0xCD, 53, KeyEvent{0x0B00, 0x21}, KeyEvent{0x0B00, 0x0121}},
        {0xCE, 52, KeyEvent{0x0B00, 0x22}, KeyEvent{0x0B00, 0x0122}},
        {0xCF, 49, KeyEvent{0x0B00, 0x24}, KeyEvent{0x0B00, 0x0124}},
        {0xF5, 0, KeyEvent{0xFF00, 0xAA}, KeyEvent{0xFF00, 0x01AA}},
        {0xF6, 4, KeyEvent{0xFF00, 0xAE}, KeyEvent{0xFF00, 0x01AE}},
        {0x8C, 30, KeyEvent{0xFF00, 0xFC}, KeyEvent{0xFF00, 0x01FC}},
        {0x8D, 32, KeyEvent{0xFF00, 0xFE}, KeyEvent{0xFF00, 0x01FE}},
        {0xF8, 56, KeyEvent{0xFF00, 0x39}, KeyEvent{0xFF00, 0x0139}},
        {0xFB, 31, KeyEvent{0xFF00, 0xFD}, KeyEvent{0xFF00, 0x01FD}},
        {0xF7, 10, std::nullopt, std::nullopt},  // no Pact key code on a Hot Grid key
        {0xD3, 0, std::nullopt, std::nullopt},
        {0xEF, 36, std::nullopt, std::nullopt},
        {0xC3, 54, std::nullopt, std::nullopt},
        {0x00, 5, std::nullopt, std::nullopt},
        {0xFF, 56, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(EventOf(row.code, row.keyIndex, false), row.press)
            << "code " << int{row.code} << " key " << row.keyIndex;
        EXPECT_EQ(EventOf(row.code, row.keyIndex, true), row.release)
            << "code " << int{row.code} << " key " << row.keyIndex;
    }
}

TEST(EmuKeyTable, ProfileFunctionsStopOrWrapAtTheEnds) {
    EXPECT_EQ(ProfileAfterKey(0xB0, 0), 1);
    EXPECT_EQ(ProfileAfterKey(0xB0, 4), 4);
    EXPECT_EQ(ProfileAfterKey(0xB1, 0), 0);
    EXPECT_EQ(ProfileAfterKey(0xB1, 3), 2);
    EXPECT_EQ(ProfileAfterKey(0xB2, 4), 0);
    EXPECT_EQ(ProfileAfterKey(0xB3, 4), 0);
    EXPECT_EQ(ProfileAfterKey(0xB7, 0), 4);
    EXPECT_EQ(ProfileAfterKey(0xB8, 0), std::nullopt);
    EXPECT_EQ(ProfileAfterKey(0xAF, 0), std::nullopt);
}

}  // namespace
}  // namespace kelm::emu
