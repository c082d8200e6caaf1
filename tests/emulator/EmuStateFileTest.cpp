#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

#include "KeyboardFixture.h"
#include "emulator/EmuStateFile.h"
#include "settings/StructCodec.h"
#include "tests/support/TempFolder.h"

namespace kelm::emu::test {
namespace {

class StateFileTest : public KeyboardFixture {
protected:
    // A keyboard that has been written to the way a host writes to it.
    void UseKeyboard() {
        const KeyGroup& hotGrid = *FindKeyGroup(ReportId::HotGridGroupReport);
        KeyGroupData keys = KeyGroupFromProfile(hotGrid, 3, Profile(3));
        keys.keys[4] = {kFnShortcut, 0x05, 0x1D};
        keys.keys[7] = {kFnQuickLaunch, 0, 0};
        ASSERT_TRUE(Write(BuildKeyGroupReport(hotGrid, keys)));
        MacroKeyInfo macro{};
        std::strcpy(macro.MacroName, "Combo");
        std::strcpy(macro.KeyLabel, "label");
        macro.EventCount = 500;
        for (int i = 0; i < 500; ++i) macro.Events[i] = {0x1E, 1, static_cast<std::uint16_t>(i)};
        ASSERT_TRUE(Write(BuildMacroReport({4, 35}, macro)));
        macro.EventCount = 0;
        ASSERT_TRUE(Write(BuildMacroReport({0, 0}, macro)));
        ASSERT_TRUE(Write(BuildModifyKeyReport({2, 0x2A})));
        ASSERT_TRUE(Write(BuildLightReport({1, 0, 5, 30})));
        ASSERT_TRUE(Write(BuildSyncStampReport(MakeSyncStamp(1712345678))));
        keyboard.ChangeProfile(4);
        keyboard.SetFirmware(131);
    }

    kelm::test::TempFolder folder;
    const std::string path = folder / "state.ini";
};

TEST_F(StateFileTest, WhatTheKeyboardKeepsSurvivesSaveAndLoad) {
    UseKeyboard();
    ASSERT_TRUE(SaveKeyboardState(path, keyboard.Memory()));
    const StateLoad load = LoadKeyboardState(path, kDefaultFirmware);
    ASSERT_TRUE(load.memory) << load.error;
    EXPECT_TRUE(SameProfiles(*load.memory, keyboard.Memory()));
    EXPECT_EQ(load.memory->CurrentProfile, 3);
    EXPECT_EQ(load.memory->FWVersion, 131);
    EXPECT_EQ(load.memory->Stamp, MakeSyncStamp(1712345678));
    EXPECT_EQ(FormatKeyboardState(*load.memory), kelm::test::ReadFile(path));
}

TEST_F(StateFileTest, MissingFileIsAFactoryKeyboard) {
    const StateLoad load = LoadKeyboardState(folder / "none.ini", 99);
    ASSERT_TRUE(load.memory);
    EXPECT_TRUE(SameProfiles(*load.memory, *FactoryMemory(99)));
    EXPECT_EQ(load.memory->FWVersion, 99);
}

TEST_F(StateFileTest, MissingKeysKeepTheirFactoryValues) {
    kelm::test::WriteFile(path, "[Keyboard]\r\nCurrentProfile=2\r\n[Profile1]\r\nLtTimeout=7\r\n");
    const StateLoad load = LoadKeyboardState(path, 115);
    ASSERT_TRUE(load.memory) << load.error;
    EXPECT_EQ(load.memory->CurrentProfile, 2);
    EXPECT_EQ(load.memory->FWVersion, 115);
    EXPECT_EQ(load.memory->Profiles[1].LtTimeout, 7);
    EXPECT_EQ(load.memory->Profiles[1].LtBrightness, 3);
    EXPECT_EQ(load.memory->Profiles[1].Keys[30].FunctionCode, 0xB1);
}

TEST_F(StateFileTest, DamagedValuesAreNamedAndNothingIsLoaded) {
    UseKeyboard();
    const std::string good = FormatKeyboardState(keyboard.Memory());
    struct Damage {
        std::string pattern, replacement, named;
    };
    const std::vector<Damage> damages = {
        {"CurrentProfile=3", "CurrentProfile=5", "[Keyboard] CurrentProfile"},
        {"FWVersion=131", "FWVersion=13x", "[Keyboard] FWVersion"},
        {"SyncStamp=..", "SyncStamp=ZZ", "[Keyboard] SyncStamp"},
        {"ModifyKeyMask=42", "ModifyKeyMask=-1", "[Profile2] ModifyKeyMask"},
        {"LtTimeout=30", "LtTimeout=256", "[Profile1] LtTimeout"},
        {"Key35=23BE", "Key35=24BE", "[Profile4] Key35"},  // check byte no longer matches
        {"Key3=03", "Key3=0", "[Profile0] Key3"},          // odd length
    };
    for (const Damage& damage : damages) {
        const std::string text = std::regex_replace(good, std::regex(damage.pattern), damage.replacement,
                                                    std::regex_constants::format_first_only);
        ASSERT_NE(text, good) << damage.pattern;
        kelm::test::WriteFile(path, text);
        const StateLoad load = LoadKeyboardState(path, 115);
        EXPECT_FALSE(load.memory) << damage.pattern;
        EXPECT_NE(load.error.find(damage.named), std::string::npos) << load.error;
    }
}

TEST_F(StateFileTest, EntryWhoseSizeDisagreesWithItsCountIsRefused) {
    MacroKeyInfo entry = Profile(0).Keys[3];
    entry.EventCount = 2;  // but only the head is written
    kelm::test::WriteFile(path, "[Profile0]\nKey3=" + EncodeStruct(&entry, offsetof(MacroKeyInfo, Events)) + "\n");
    const StateLoad load = LoadKeyboardState(path, 115);
    EXPECT_FALSE(load.memory);
    EXPECT_NE(load.error.find("[Profile0] Key3"), std::string::npos) << load.error;
}

TEST_F(StateFileTest, UnreadableFileIsAnError) {
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    const StateLoad load = LoadKeyboardState(path, 115);
    EXPECT_FALSE(load.memory);
    EXPECT_FALSE(load.error.empty());
}

}  // namespace
}  // namespace kelm::emu::test
