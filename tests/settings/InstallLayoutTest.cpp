// The installed layout: which folders count as installed, and how a user's
// settings folder is seeded from the factory files on first start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/IniFile.h"
#include "settings/InstallLayout.h"
#include "settings/Language.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

using test::ReadFile;
using test::WriteFile;

TEST(InstallLayoutTest, OnlyAMarkerThatSendsTheSettingsToTheUserMakesAnInstalledFolder) {
    struct Case {
        const char* marker;  // nullptr: no layout.ini
        bool installed;
    };
    const Case cases[] = {
        {nullptr, false},
        {"[Layout]\r\nSettings=user\r\n", true},
        {"[Layout]\nSettings=user\n", true},
        {"[Layout]\r\nSettings=program\r\n", false},
        {"[Other]\r\nSettings=user\r\n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        if (c.marker != nullptr) WriteFile(folder / kLayoutFileName, c.marker);
        EXPECT_EQ(IsInstalledProgramFolder(folder.Path() + "/"), c.installed) << (c.marker ? c.marker : "(none)");
    }
    EXPECT_FALSE(IsInstalledProgramFolder(""));
}

TEST(InstallLayoutTest, UserSettingsLieUnderTheXdgConfigFolder) {
    test::ScopedEnv config("XDG_CONFIG_HOME", "/home/u/.cfg");
    EXPECT_EQ(UserSettingsFolder(), "/home/u/.cfg/VELDAN/Kelm/");
}

class SeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(factory_ / "config.ini", "[Setting]\r\nCurrentProfile=0\r\nQuickHelpLan=99\r\n");
        for (int slot = 0; slot < 5; ++slot)
            WriteFile(factory_ / ("config/Default" + std::to_string(slot) + ".vkp"),
                      "[Profile]\r\nSlot=" + std::to_string(slot) + "\r\n");
    }
    std::string Factory() const { return factory_.Path() + "/"; }
    std::string User() const { return user_.Path() + "/Kelm/"; }

    test::TempFolder factory_;
    test::TempFolder user_;
    test::ScopedEnv lang_{"LANG", "de_DE.UTF-8"};
    test::ScopedEnv all_{"LC_ALL", nullptr};
    test::ScopedEnv messages_{"LC_MESSAGES", nullptr};
};

TEST_F(SeedTest, AFirstStartGetsEveryFactoryFileInAPrivateFolderAndTheSessionsLanguage) {
    std::string error;
    ASSERT_TRUE(SeedUserSettings(Factory(), User(), &error)) << error;
    for (int slot = 0; slot < 5; ++slot) {
        const std::string name = "config/Default" + std::to_string(slot) + ".vkp";
        EXPECT_EQ(ReadFile(User() + name), ReadFile(factory_ / name)) << name;
    }
    // Files the factory lacks stay for the programs to make.
    EXPECT_FALSE(test::Exists(User() + "config/Timer.ini"));
    EXPECT_EQ(IniFile(User() + "config.ini").ReadInt("Setting", "QuickHelpLan", -1), DefaultLanguageIndex());
    EXPECT_EQ(IniFile(User() + "config.ini").ReadInt("Setting", "CurrentProfile", -1), 0);
    struct stat st {};
    ASSERT_EQ(::stat((User() + "config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u);
}

TEST_F(SeedTest, WhatTheUserHasIsNeverOverwrittenAndOnlyTheMissingFilesAreCopied) {
    WriteFile(User() + "config.ini", "[Setting]\r\nCurrentProfile=3\r\n");
    WriteFile(User() + "config/Default1.vkp", "mine");
    std::string error;
    ASSERT_TRUE(SeedUserSettings(Factory(), User(), &error)) << error;
    EXPECT_EQ(ReadFile(User() + "config.ini"), "[Setting]\r\nCurrentProfile=3\r\n");
    EXPECT_EQ(ReadFile(User() + "config/Default1.vkp"), "mine");
    EXPECT_EQ(ReadFile(User() + "config/Default3.vkp"), ReadFile(factory_ / "config/Default3.vkp"));
    // A second start changes nothing.
    const std::string before = ReadFile(User() + "config/Default3.vkp");
    WriteFile(User() + "config/Default3.vkp", "changed since");
    ASSERT_TRUE(SeedUserSettings(Factory(), User(), &error)) << error;
    EXPECT_EQ(ReadFile(User() + "config/Default3.vkp"), "changed since");
}

TEST_F(SeedTest, AFolderThatCannotBeMadeIsNamed) {
    WriteFile(user_ / "Kelm", "a file where the folder goes");
    std::string error;
    EXPECT_FALSE(SeedUserSettings(Factory(), User(), &error));
    EXPECT_NE(error.find("Kelm/config/"), std::string::npos) << error;
}

}  // namespace
}  // namespace kelm
