// config.ini's single values, the synchronisation stamp, the display
// program's settings, the registry stand-in and the companion mouse file.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "tests/support/SameBytes.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

using test::ReadFile;
using test::WriteFile;

class ConfigFileTest : public ::testing::Test {
protected:
    test::TempProgramFolder folder;
    const StoreLocation& where = folder.Where();
    std::string RegistryText(const std::string& body) {
        return "[HKEY_CURRENT_USER\\Control Panel\\Keyboard]\r\n" + body;
    }
};

TEST(SyncStampTest, SecondsGoLeastSignificantByteFirst) {
    const SyncStamp stamp = MakeSyncStamp(static_cast<std::time_t>(0x12345678));
    const SyncStamp expected = {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(stamp, expected);
}

TEST_F(ConfigFileTest, SyncStampIsStoredAsSixteenByteStructure) {
    WriteFile(where.ConfigPath(), "[Setting]\r\nCurrentProfile=2\r\n");
    ASSERT_TRUE(WriteSyncStamp(where, MakeSyncStamp(static_cast<std::time_t>(0x12345678))));
    // 0x78 + 0x56 + 0x34 + 0x12 = 0x114
    EXPECT_EQ(ReadFile(where.ConfigPath()),
              "[Setting]\r\nCurrentProfile=2\r\n\r\n[HidAccessCode]\r\nCode=7856341200000000000000000000000014\r\n");
    SyncStamp back{};
    ASSERT_TRUE(ReadSyncStamp(where, back));
    EXPECT_EQ(back, MakeSyncStamp(static_cast<std::time_t>(0x12345678)));
}

TEST_F(ConfigFileTest, MissingOrDamagedSyncStampFailsAndKeepsTheBuffer) {
    SyncStamp stamp;
    stamp.fill(0xEE);
    EXPECT_FALSE(ReadSyncStamp(where, stamp));
    WriteFile(where.ConfigPath(), "[HidAccessCode]\r\nCode=7856341200000000000000000000000015\r\n");
    EXPECT_FALSE(ReadSyncStamp(where, stamp));
    for (auto b : stamp) EXPECT_EQ(b, 0xEE);
}

TEST_F(ConfigFileTest, SingleValueWritersKeepTheRestOfTheFile) {
    const std::string original = "[Setting]\r\nCurrentProfile=1\r\nMine=keep\r\n[Other]\r\nx=1\r\n";
    WriteFile(where.ConfigPath(), original);
    ASSERT_TRUE(WriteCurrentProfile(where, 4));
    ASSERT_TRUE(WriteFirmwareVersion(where, 115));
    ASSERT_TRUE(WriteDeviceState(where, 1));
    EXPECT_EQ(ReadFile(where.ConfigPath()),
              "[Setting]\r\nCurrentProfile=4\r\nMine=keep\r\nFWVersion=115\r\nDevice=1\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(ReadFirmwareVersion(where), 115);
}

TEST_F(ConfigFileTest, FirmwareVersionDefaultsTo100) { EXPECT_EQ(ReadFirmwareVersion(where), 100); }

TEST(FirmwareVersionText, DotAfterFirstDigitInsideTheRange) {
    EXPECT_EQ(FormatFirmwareVersion(100), "1.00");
    EXPECT_EQ(FormatFirmwareVersion(115), "1.15");
    EXPECT_EQ(FormatFirmwareVersion(500), "5.00");
    EXPECT_EQ(FormatFirmwareVersion(99), "N/A");
    EXPECT_EQ(FormatFirmwareVersion(501), "N/A");
    EXPECT_EQ(FormatFirmwareVersion(-115), "N/A");
    EXPECT_EQ(FormatFirmwareVersion(0), "N/A");
}

TEST_F(ConfigFileTest, ProfileFileNameGoesToItsNumberedSection) {
    ASSERT_TRUE(WriteProfileFileName(where, 3, "Race"));
    EXPECT_EQ(ReadFile(where.ConfigPath()), "[Profile3]\r\nFileName=Race\r\n");
}

TEST(OsdSettingTest, DefaultsArePortAndIntervalOnly) {
    OsdSetting osd;
    std::memset(&osd, 0x33, sizeof osd);
    DefaultOsdSetting(osd);
    OsdSetting expected;
    std::memset(&expected, 0, sizeof expected);
    expected.MailPort = 110;
    expected.MailInterval = 5;
    EXPECT_TRUE(test::SameBytes(osd, expected));
}

TEST_F(ConfigFileTest, OsdSettingIsReadWholeOrNotAtAll) {
    OsdSetting osd;
    DefaultOsdSetting(osd);
    OsdSetting stored;
    std::memset(&stored, 0, sizeof stored);
    stored.PositionX = 640;
    stored.PositionY = -20;
    std::strcpy(stored.MailServer, "pop.example.org");
    stored.MailPort = 995;

    ReadOsdSetting(where, osd);  // no file
    OsdSetting defaults;
    DefaultOsdSetting(defaults);
    EXPECT_TRUE(test::SameBytes(osd, defaults));

    IniFile ini(where.ConfigPath());
    ini.WriteStruct("OSDSetting", "config", &stored, sizeof stored);
    ASSERT_TRUE(ini.Save());
    std::string good = ReadFile(where.ConfigPath());
    // The same value with one digit changed fails its checksum.
    std::string damaged = good;
    damaged[damaged.find("config=") + 7] ^= 1;
    WriteFile(where.ConfigPath(), damaged);
    ReadOsdSetting(where, osd);
    EXPECT_TRUE(test::SameBytes(osd, defaults));

    WriteFile(where.ConfigPath(), good);
    ReadOsdSetting(where, osd);
    EXPECT_TRUE(test::SameBytes(osd, stored));
}

TEST_F(ConfigFileTest, OsdNotificationsAreOnOnlyWhenTheKeySaysOne) {
    EXPECT_FALSE(ReadOsdNotifications(where));  // no file
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"Notifications=1\r\n", true},
        {"Notifications=0\r\n", false},
        {"Notifications=2\r\n", false},
        {"Notifications=yes\r\n", false},
        {"notifications=1\r\n", true},
    };
    for (const auto& [key, on] : cases) {
        WriteFile(where.ConfigPath(), std::string("[OSDSetting]\r\n") + key + "[OSDData]\r\nNotifications=1\r\n");
        EXPECT_EQ(ReadOsdNotifications(where), on) << key;
    }
}

TEST_F(ConfigFileTest, RegistryValuesRoundTrip) {
    ProfileRecord p{};
    p.KBDelay = 3;
    p.KBSpeed = 17;
    ASSERT_EQ(WriteRepeatToRegistry(where, p), 1);
    EXPECT_EQ(ReadFile(where.registryFile), RegistryText("KeyboardDelay=3\r\nKeyboardSpeed=17\r\n"));
    ProfileRecord q{};
    ASSERT_EQ(ReadRepeatFromRegistry(where, q), 1);
    EXPECT_EQ(q.KBDelay, 3);
    EXPECT_EQ(q.KBSpeed, 17);
}

TEST_F(ConfigFileTest, RegistryValueThatIsNoNumberGivesZeroAndMissingOneKeepsTheField) {
    WriteFile(where.registryFile, RegistryText("KeyboardSpeed=fast\r\n"));
    ProfileRecord p{};
    p.KBDelay = 2;
    p.KBSpeed = 31;
    ASSERT_EQ(ReadRepeatFromRegistry(where, p), 1);
    EXPECT_EQ(p.KBDelay, 2);
    EXPECT_EQ(p.KBSpeed, 0);
}

TEST_F(ConfigFileTest, MissingRegistryStoreChangesNothing) {
    ProfileRecord p{};
    p.KBDelay = 2;
    p.KBSpeed = 30;
    EXPECT_EQ(ReadRepeatFromRegistry(where, p), 1);
    EXPECT_EQ(p.KBDelay, 2);
    EXPECT_EQ(p.KBSpeed, 30);
}

TEST_F(ConfigFileTest, RegistryStoreThatCannotBeCreatedGivesMinusOne) {
    // A file where the store's folder should be.
    WriteFile(folder.Root() + "/xdg-config/VELDAN", "not a folder");
    ProfileRecord p{};
    p.KBDelay = 1;
    EXPECT_EQ(WriteRepeatToRegistry(where, p), -1);
}

TEST_F(ConfigFileTest, MouseSensitivityComesFromTheSharedFolder) {
    WriteFile(folder.Root() + "/xdg-data/VELDAN/Pact/Steadix.ini",
              "[Vask+CPISetting]\r\nCPI 0=400\r\nCPI 1=800\r\nCPI 3=3200\r\nCPI 4=junk\r\n");
    std::int32_t cpi[5] = {9, 9, 9, 9, 9};
    ReadMouseSensitivity(where, cpi);
    EXPECT_EQ(cpi[0], 400);
    EXPECT_EQ(cpi[1], 800);
    EXPECT_EQ(cpi[2], 0);
    EXPECT_EQ(cpi[3], 3200);
    EXPECT_EQ(cpi[4], 0);
}

TEST(StoreLocationTest, FilesLieBelowTheProgramFolder) {
    test::ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    test::ScopedEnv data("XDG_DATA_HOME", "/data");
    const StoreLocation where = StoreLocation::ForProgramFolder("/opt/kelm");
    EXPECT_EQ(where.ConfigPath(), "/opt/kelm/config.ini");
    EXPECT_EQ(where.ProfilePath(0), "/opt/kelm/config/Default0.vkp");
    EXPECT_EQ(where.ProfilePath(4), "/opt/kelm/config/Default4.vkp");
    EXPECT_EQ(where.TimerPath(), "/opt/kelm/config/Timer.ini");
    EXPECT_EQ(where.MacroLibraryPath(), "/opt/kelm/config/Preset_sequence.dat");
    EXPECT_EQ(where.registryFile, "/cfg/VELDAN/registry.ini");
    EXPECT_EQ(where.sharedFolder, "/data/VELDAN/Pact/");
}

TEST(StoreLocationTest, KelmHomeNamesTheProgramFolder) {
    test::ScopedEnv home("KELM_HOME", "/srv/kelm/");
    EXPECT_EQ(StoreLocation::FromEnvironment().programFolder, "/srv/kelm/");
}

TEST(StoreLocationTest, XdgFallbacksLieUnderHome) {
    test::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    test::ScopedEnv data("XDG_DATA_HOME", "");
    test::ScopedEnv home("HOME", "/home/u");
    const StoreLocation where = StoreLocation::ForProgramFolder("/p");
    EXPECT_EQ(where.registryFile, "/home/u/.config/VELDAN/registry.ini");
    EXPECT_EQ(where.sharedFolder, "/home/u/.local/share/VELDAN/Pact/");
}

}  // namespace
}  // namespace kelm
