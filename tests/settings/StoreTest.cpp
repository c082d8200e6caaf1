// Loading and saving the whole record: config.ini, the five slot files and
// the registry stand-in together.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"
#include "tests/settings/FilledProfile.h"
#include "tests/support/SameBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

using test::ReadFile;
using test::WriteFile;

class StoreTest : public ::testing::Test {
protected:
    std::unique_ptr<SettingsRecord> Cleared() {
        auto r = std::make_unique<SettingsRecord>();
        std::memset(r.get(), 0xEE, sizeof *r);
        ClearSettings(*r);
        return r;
    }
    test::TempProgramFolder folder;
    const StoreLocation& where = folder.Where();
};

TEST_F(StoreTest, NoFilesGiveTheDocumentedDefaults) {
    auto r = Cleared();
    r->QuickHelpLan = 4;
    r->WindowsProfile = 2;
    EXPECT_EQ(LoadAll(*r, where), 1);
    EXPECT_EQ(r->CurrentProfile, -1);
    EXPECT_EQ(r->WindowsProfile, -1);
    EXPECT_EQ(r->QuickHelpLan, -1);
    EXPECT_EQ(r->MouseType, -1);
    for (int slot = 0; slot < kProfileCount; ++slot) {
        ProfileRecord expected;
        std::memset(&expected, 0, sizeof expected);
        DefaultProfile(expected, slot);
        EXPECT_TRUE(test::SameBytes(r->Profiles[slot], expected)) << slot;
    }
    ChangeFlags zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_TRUE(test::SameBytes(r->Flags, zero));
    // Loading creates nothing.
    EXPECT_FALSE(test::Exists(where.ConfigPath()));
    EXPECT_FALSE(test::Exists(where.registryFile));
}

TEST_F(StoreTest, GlobalsAreWrittenToTheSettingSection) {
    auto r = Cleared();
    DefaultSettings(*r);
    r->CurrentProfile = 3;
    r->WindowsProfile = -1;
    r->QuickHelpLan = 11;
    r->MouseType = 1;
    ASSERT_EQ(SaveAll(*r, where), 1);
    EXPECT_EQ(ReadFile(where.ConfigPath()),
              "[Setting]\r\nCurrentProfile=3\r\nWindowsProfile=-1\r\nQuickHelpLan=11\r\nMouseType=1\r\n");
    auto back = Cleared();
    LoadAll(*back, where);
    EXPECT_EQ(back->CurrentProfile, 3);
    EXPECT_EQ(back->WindowsProfile, -1);
    EXPECT_EQ(back->QuickHelpLan, 11);
    EXPECT_EQ(back->MouseType, 1);
}

TEST_F(StoreTest, SaveAllKeepsForeignKeysOfConfigIni) {
    const std::string before =
        "[Setting]\r\nFWVersion=115\r\nCurrentProfile=0\r\nDevice=1\r\n\r\n[HidAccessCode]\r\nCode=00\r\n";
    WriteFile(where.ConfigPath(), before);
    auto r = Cleared();
    DefaultSettings(*r);
    r->QuickHelpLan = 2;
    r->MouseType = 0;
    ASSERT_EQ(SaveAll(*r, where), 1);
    EXPECT_EQ(ReadFile(where.ConfigPath()),
              "[Setting]\r\nFWVersion=115\r\nCurrentProfile=0\r\nDevice=1\r\nWindowsProfile=-1\r\nQuickHelpLan=2\r\n"
              "MouseType=0\r\n\r\n[HidAccessCode]\r\nCode=00\r\n");
}

TEST_F(StoreTest, WholeRecordWithFiveFullProfilesRoundTrips) {
    auto r = Cleared();
    r->CurrentProfile = 1;
    r->WindowsProfile = 4;
    r->QuickHelpLan = 16;
    r->MouseType = 1;
    for (int slot = 0; slot < kProfileCount; ++slot) test::FillProfile(r->Profiles[slot], 100u + slot);
    ASSERT_EQ(SaveAll(*r, where), 1);
    auto back = Cleared();
    ASSERT_EQ(LoadAll(*back, where), 1);
    EXPECT_TRUE(test::SameBytes(*r, *back));
    for (int slot = 0; slot < kProfileCount; ++slot)
        EXPECT_TRUE(test::SameBytes(r->Profiles[slot], back->Profiles[slot])) << slot;
    // A second save of the loaded record writes the same bytes.
    const std::string first = ReadFile(where.ProfilePath(3));
    ASSERT_EQ(SaveAll(*back, where), 1);
    EXPECT_TRUE(ReadFile(where.ProfilePath(3)) == first);
}

TEST_F(StoreTest, RegistryDelayWinsOverTheProfileFile) {
    auto r = Cleared();
    DefaultSettings(*r);
    r->CurrentProfile = 2;
    r->Profiles[2].KBDelay = 0;
    r->Profiles[2].KBSpeed = 20;
    ASSERT_EQ(SaveAll(*r, where), 1);
    WriteFile(where.registryFile, "[HKEY_CURRENT_USER\\Control Panel\\Keyboard]\r\nKeyboardDelay=2\r\n");
    auto back = Cleared();
    LoadAll(*back, where);
    EXPECT_EQ(back->Profiles[2].KBDelay, 2);
    EXPECT_EQ(back->Profiles[2].KBSpeed, 20);  // no registry value, the file's stays
    EXPECT_EQ(IniFile(where.ProfilePath(2)).ReadInt("Setting", "KBDelay", -9), 0);
    // Other slots keep their file values.
    EXPECT_EQ(back->Profiles[1].KBDelay, 1);
}

TEST_F(StoreTest, RegistryIsIgnoredWithoutACurrentSlot) {
    auto r = Cleared();
    DefaultSettings(*r);
    r->CurrentProfile = -1;
    ASSERT_EQ(SaveAll(*r, where), 1);
    EXPECT_FALSE(test::Exists(where.registryFile));
    WriteFile(where.registryFile, "[HKEY_CURRENT_USER\\Control Panel\\Keyboard]\r\nKeyboardDelay=3\r\n");
    auto back = Cleared();
    LoadAll(*back, where);
    for (const ProfileRecord& p : back->Profiles) EXPECT_EQ(p.KBDelay, 1);
}

TEST_F(StoreTest, SaveAllMirrorsTheCurrentSlotIntoTheRegistry) {
    auto r = Cleared();
    DefaultSettings(*r);
    r->CurrentProfile = 4;
    r->Profiles[4].KBDelay = 3;
    r->Profiles[4].KBSpeed = 7;
    ASSERT_EQ(SaveAll(*r, where), 1);
    ProfileRecord p{};
    ASSERT_EQ(ReadRepeatFromRegistry(where, p), 1);
    EXPECT_EQ(p.KBDelay, 3);
    EXPECT_EQ(p.KBSpeed, 7);
}

TEST_F(StoreTest, SlotWithoutFileGetsItsDefaultsOthersLoad) {
    auto r = Cleared();
    DefaultSettings(*r);
    for (int slot = 0; slot < kProfileCount; ++slot) r->Profiles[slot].LtBrightness = 5;
    ASSERT_EQ(SaveAll(*r, where), 1);
    std::filesystem::remove(where.ProfilePath(3));
    auto back = Cleared();
    LoadAll(*back, where);
    EXPECT_EQ(back->Profiles[2].LtBrightness, 5);
    EXPECT_EQ(back->Profiles[3].LtBrightness, 3);
    EXPECT_EQ(back->Profiles[4].LtBrightness, 5);
}

TEST_F(StoreTest, SaveAllWithoutAConfigFolderCreatesIt) {
    std::filesystem::remove_all(where.ConfigFolder());
    auto r = Cleared();
    DefaultSettings(*r);
    ASSERT_EQ(SaveAll(*r, where), 1);
    for (int slot = 0; slot < kProfileCount; ++slot) EXPECT_TRUE(test::Exists(where.ProfilePath(slot)));
}

TEST_F(StoreTest, SaveAllReportsAFileItCouldNotWrite) {
    auto r = Cleared();
    DefaultSettings(*r);
    std::filesystem::create_directories(where.ProfilePath(1));  // a folder in the file's place
    EXPECT_EQ(SaveAll(*r, where), 0);
    EXPECT_TRUE(test::Exists(where.ProfilePath(0)));
    EXPECT_TRUE(test::Exists(where.ProfilePath(4)));
    EXPECT_TRUE(std::filesystem::is_directory(where.ProfilePath(1)));
}

}  // namespace
}  // namespace kelm
