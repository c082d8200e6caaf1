// Profile files: the 80 keys of one profile, their read defaults, damaged
// and over-long values, and the configuration program's Load and Save.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/ProfileFile.h"
#include "settings/StructCodec.h"
#include "settings/Text.h"
#include "tests/settings/FilledProfile.h"
#include "tests/support/SameBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

using test::ReadFile;
using test::WriteFile;

std::vector<std::string> ExpectedKeyOrder() {
    std::vector<std::string> keys = {"ProFileName", "GameFile0",    "GameFile1",   "GameFile2",    "KBDelay",
                                     "KBSpeed",     "MediaOption",  "HDDKeyboard", "SoundProfile", "SoundLRecord",
                                     "SoundSens",   "VolumeUpDown", "SoundVolume"};
    for (int i = 0; i < 6; ++i) keys.push_back("ModifyKey" + std::to_string(i));
    for (const char* k : {"LtBrightness", "DimmerOption", "LtTimeout"}) keys.push_back(k);
    for (int i = 0; i < kKeyCount; ++i) keys.push_back("MacroKeyInfo" + std::to_string(i));
    return keys;
}

// Section headers and key names of a CRLF file, in file order.
std::vector<std::string> LineNames(const std::string& text) {
    std::vector<std::string> names;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "line without CRLF";
        if (end == std::string::npos) break;
        const std::string line = text.substr(pos, end - pos);
        names.push_back(line.substr(0, line.find('=')));
        pos = end + 2;
    }
    return names;
}

class ProfileFileTest : public ::testing::Test {
protected:
    std::unique_ptr<ProfileRecord> NewProfile() {
        auto p = std::make_unique<ProfileRecord>();
        std::memset(p.get(), 0, sizeof *p);
        return p;
    }
    // A valid file with one key replaced, or removed when value is empty.
    std::string FileWith(const std::string& key, const std::string& value) {
        auto p = NewProfile();
        DefaultProfile(*p, 0);
        IniFile ini(folder.Program("source.vkp"), "");
        SaveProfile(*p, ini);
        std::string text = "[Setting]\r\n";
        for (const std::string& k : ExpectedKeyOrder()) {
            if (k == key) {
                if (!value.empty()) text += k + "=" + value + "\r\n";
            } else {
                text += k + "=" + ini.ReadString("Setting", k, "") + "\r\n";
            }
        }
        return text;
    }
    test::TempProgramFolder folder;
    const StoreLocation& where = folder.Where();
};

TEST_F(ProfileFileTest, FullyUsedProfileRoundTripsByteForByte) {
    auto original = NewProfile();
    test::FillProfile(*original, 1234);
    const std::string path = folder.Program("full.vkp");
    ASSERT_TRUE(SaveProfile(*original, path));
    auto loaded = NewProfile();
    std::memset(loaded.get(), 0xCC, sizeof *loaded);
    std::memset(loaded->Pad0, 0, sizeof loaded->Pad0);
    LoadProfile(*loaded, path);
    EXPECT_TRUE(test::SameBytes(*original, *loaded));
    for (int k = 0; k < kKeyCount; ++k) EXPECT_TRUE(test::SameBytes(original->Keys[k], loaded->Keys[k])) << k;
    EXPECT_EQ(FieldText(loaded->ProFileName), FieldText(original->ProFileName));
    EXPECT_EQ(FieldText(loaded->GameFile2), FieldText(original->GameFile2));
}

TEST_F(ProfileFileTest, WriterEmitsTheKeysInTheDocumentedOrder) {
    auto p = NewProfile();
    DefaultProfile(*p, 1);
    const std::string path = folder.Program("order.vkp");
    ASSERT_TRUE(SaveProfile(*p, path));
    std::vector<std::string> expected = {"[Setting]"};
    for (const std::string& k : ExpectedKeyOrder()) expected.push_back(k);
    const std::string text = ReadFile(path);
    EXPECT_EQ(LineNames(text), expected);
    EXPECT_NE(text.find("\r\nProFileName=Default2\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nKBSpeed=31\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nLtTimeout=15\r\n"), std::string::npos);
    // Each key entry is 2532 bytes: 5064 digits and a checksum pair.
    const std::size_t at = text.find("MacroKeyInfo57=") + 15;
    EXPECT_EQ(text.find("\r\n", at) - at, 5066u);
}

TEST_F(ProfileFileTest, SavingIntoAnExistingFileKeepsForeignKeys) {
    const std::string path = folder.Program("mixed.vkp");
    WriteFile(path, "[Setting]\r\nComment=mine\r\nKBDelay=0\r\n[Elsewhere]\r\nx=1\r\n");
    auto p = NewProfile();
    DefaultProfile(*p, 0);
    ASSERT_TRUE(SaveProfile(*p, path));
    const IniFile ini(path);
    EXPECT_EQ(ini.ReadString("Setting", "Comment", ""), "mine");
    EXPECT_EQ(ini.ReadInt("Setting", "KBDelay", -9), 1);
    EXPECT_EQ(ini.ReadInt("Elsewhere", "x", -9), 1);
}

TEST_F(ProfileFileTest, MissingScalarKeysTakeTheReadDefaults) {
    auto p = NewProfile();
    IniFile empty(folder.Program("empty.vkp"), "[Setting]\r\n");
    std::memset(p.get(), 0x44, sizeof *p);
    LoadProfile(*p, empty);
    EXPECT_EQ(FieldText(p->ProFileName), "");
    EXPECT_EQ(FieldText(p->GameFile0), "");
    EXPECT_EQ(p->KBDelay, -1);
    EXPECT_EQ(p->KBSpeed, -1);
    EXPECT_EQ(p->MediaOption, -1);
    EXPECT_EQ(p->HDDKeyboard, -1);
    EXPECT_EQ(p->SoundProfile, -1);
    EXPECT_EQ(p->SoundVolume, -1);
    for (int m : p->ModifyKey) EXPECT_EQ(m, -1);
    EXPECT_EQ(p->LtBrightness, 0);
    EXPECT_EQ(p->DimmerOption, 0);
    EXPECT_EQ(p->LtTimeout, 0);
    for (int k = 0; k < kKeyCount; ++k) {
        MacroKeyInfo def;
        DefaultKeyEntry(def, k);
        EXPECT_TRUE(test::SameBytes(p->Keys[k], def)) << k;
    }
}

TEST_F(ProfileFileTest, OneMissingKeyAffectsOnlyItsField) {
    auto p = NewProfile();
    LoadProfile(*p, IniFile("x.vkp", FileWith("LtTimeout", "")));
    EXPECT_EQ(p->LtTimeout, 0);
    EXPECT_EQ(p->LtBrightness, 3);
    EXPECT_EQ(p->KBSpeed, 31);
    LoadProfile(*p, IniFile("x.vkp", FileWith("KBSpeed", "")));
    EXPECT_EQ(p->KBSpeed, -1);
    EXPECT_EQ(p->KBDelay, 1);
    EXPECT_EQ(p->LtTimeout, 15);
}

TEST_F(ProfileFileTest, MissingOrDamagedKeyEntryTakesThatKeysDefault) {
    auto p = NewProfile();
    LoadProfile(*p, IniFile("x.vkp", FileWith("MacroKeyInfo5", "")));
    MacroKeyInfo def5;
    DefaultKeyEntry(def5, 5);
    EXPECT_TRUE(test::SameBytes(p->Keys[5], def5));

    MacroKeyInfo macro;
    DefaultKeyEntry(macro, 33);
    macro.FunctionCode = kFnMacro;
    CopyField(macro.MacroName, "Reload");
    std::string value = EncodeStruct(&macro, sizeof macro);
    const std::string good = value;
    value[value.size() - 1] = value.back() == '0' ? '1' : '0';  // checksum off by one
    std::memset(p.get(), 0, sizeof *p);
    LoadProfile(*p, IniFile("x.vkp", FileWith("MacroKeyInfo33", value)));
    MacroKeyInfo def33;
    DefaultKeyEntry(def33, 33);
    EXPECT_TRUE(test::SameBytes(p->Keys[33], def33));
    EXPECT_EQ(p->Keys[33].FunctionCode, 0x39);

    LoadProfile(*p, IniFile("x.vkp", FileWith("MacroKeyInfo33", good.substr(0, good.size() - 4) + "00")));
    EXPECT_TRUE(test::SameBytes(p->Keys[33], def33)) << "one byte short";

    LoadProfile(*p, IniFile("x.vkp", FileWith("MacroKeyInfo33", good)));
    EXPECT_TRUE(test::SameBytes(p->Keys[33], macro));
}

TEST_F(ProfileFileTest, KeyEntryFromAHandEditedFileIsBroughtWithinLimits) {
    MacroKeyInfo bad;
    std::memset(&bad, 'A', sizeof bad);
    bad.KeyIndex = 200;  // the entry of another key, or none
    bad.FunctionCode = kFnMacro;
    bad.EventCount = 9999;
    auto p = NewProfile();
    LoadProfile(*p, IniFile("x.vkp", FileWith("MacroKeyInfo7", EncodeStruct(&bad, sizeof bad))));
    const MacroKeyInfo& e = p->Keys[7];
    EXPECT_EQ(e.EventCount, kMaxEvents);
    EXPECT_EQ(e.KeyIndex, 7);
    EXPECT_EQ(e.FunctionCode, kFnMacro);
    EXPECT_EQ(FieldText(e.KeyLabel).size(), 49u);
    EXPECT_EQ(FieldText(e.MacroSetName).size(), 49u);
    EXPECT_EQ(FieldText(e.MacroName).size(), 49u);
    EXPECT_EQ(FieldText(e.TimerName).size(), 99u);
    EXPECT_EQ(FieldText(e.QuickLaunchPath).size(), 259u);
}

TEST_F(ProfileFileTest, OverLongTextIsCutInsideItsField) {
    auto p = NewProfile();
    std::memset(p.get(), 0x55, sizeof *p);
    const std::string longName(400, 'N');
    const std::string longPath(900, 'P');
    std::string text = FileWith("ProFileName", longName);
    IniFile ini("x.vkp", text);
    ini.WriteString("Setting", "GameFile0", longPath);
    ini.WriteString("Setting", "GameFile2", std::string(499, 'Q'));
    LoadProfile(*p, ini);
    EXPECT_EQ(FieldText(p->ProFileName), std::string(249, 'N'));
    EXPECT_EQ(p->ProFileName[249], '\0');
    EXPECT_EQ(FieldText(p->GameFile0), std::string(499, 'P'));
    EXPECT_EQ(p->GameFile0[499], '\0');
    EXPECT_EQ(FieldText(p->GameFile1), "");
    EXPECT_EQ(FieldText(p->GameFile2), std::string(499, 'Q'));
    EXPECT_EQ(p->KBDelay, 1);
}

TEST(FileTitleTest, NameWithoutFolderAndExtension) {
    EXPECT_EQ(FileTitle("/home/u/Race.vkp"), "Race");
    EXPECT_EQ(FileTitle("Race.vkp"), "Race");
    EXPECT_EQ(FileTitle("/a.b/Race"), "Race");
    EXPECT_EQ(FileTitle("/x/My.Race.vkp"), "My.Race");
}

class ImportExportTest : public ProfileFileTest {
protected:
    void SetUp() override {
        std::memset(record.get(), 0, sizeof *record);
        ClearSettings(*record);
        DefaultSettings(*record);
        test::FillProfile(record->Profiles[2], 77);
    }
    std::unique_ptr<SettingsRecord> record = std::make_unique<SettingsRecord>();
};

TEST_F(ImportExportTest, ImportReproducesTheSavedSlotAndMarksAllItsKeys) {
    const std::string chosen = folder.Root() + "/elsewhere/Race.vkp";
    std::filesystem::create_directories(folder.Root() + "/elsewhere");
    ASSERT_TRUE(SaveProfile(record->Profiles[2], chosen));
    record->CurrentProfile = 0;
    record->Flags.KeyChanged[1][3] = 1;
    auto before = std::make_unique<SettingsRecord>(*record);

    ASSERT_TRUE(ImportProfile(*record, where, chosen));
    EXPECT_TRUE(test::SameBytes(record->Profiles[0], record->Profiles[2]));
    for (int k = 0; k < kKeyCount; ++k) EXPECT_EQ(record->Flags.KeyChanged[0][k], 1) << k;
    // Nothing else of the record moved.
    std::memcpy(&before->Profiles[0], &record->Profiles[0], sizeof(ProfileRecord));
    for (auto& f : before->Flags.KeyChanged[0]) f = 1;
    EXPECT_TRUE(test::SameBytes(*before, *record));
    // The copy lies in the program folder itself.
    EXPECT_TRUE(ReadFile(folder.Program("Race.vkp")) == ReadFile(chosen));
    EXPECT_FALSE(test::Exists(where.ConfigFolder() + "Race.vkp"));
    // The slot file is not written by a Load.
    EXPECT_FALSE(test::Exists(where.ProfilePath(0)));
}

TEST_F(ImportExportTest, ImportOfAnUnreadableFileChangesNothing) {
    record->CurrentProfile = 1;
    auto before = std::make_unique<SettingsRecord>(*record);
    EXPECT_FALSE(ImportProfile(*record, where, folder.Root() + "/missing.vkp"));
    std::filesystem::create_directories(folder.Root() + "/folder.vkp");
    EXPECT_FALSE(ImportProfile(*record, where, folder.Root() + "/folder.vkp"));
    EXPECT_TRUE(test::SameBytes(*before, *record));
    EXPECT_EQ(test::FolderEntries(where.programFolder), (std::set<std::string>{"config"}));
}

TEST_F(ImportExportTest, ImportWithoutACurrentSlotChangesNothing) {
    const std::string chosen = folder.Root() + "/Race.vkp";
    ASSERT_TRUE(SaveProfile(record->Profiles[2], chosen));
    record->CurrentProfile = -1;
    auto before = std::make_unique<SettingsRecord>(*record);
    EXPECT_FALSE(ImportProfile(*record, where, chosen));
    record->CurrentProfile = 5;
    before->CurrentProfile = 5;
    EXPECT_FALSE(ImportProfile(*record, where, chosen));
    EXPECT_TRUE(test::SameBytes(*before, *record));
}

TEST_F(ImportExportTest, ExportWritesOnlyThisFormatNamesItAndCopiesItToConfig) {
    const std::string chosen = folder.Root() + "/Race.vkp";
    WriteFile(chosen, "[Setting]\r\nStale=1\r\n[Junk]\r\nx=1\r\n");
    WriteFile(where.ConfigPath(), "[Setting]\r\nCurrentProfile=2\r\n");
    record->CurrentProfile = 2;
    ASSERT_TRUE(ExportProfile(*record, where, chosen));

    const std::string text = ReadFile(chosen);
    std::vector<std::string> expected = {"[Setting]"};
    for (const std::string& k : ExpectedKeyOrder()) expected.push_back(k);
    EXPECT_EQ(LineNames(text), expected);
    auto back = NewProfile();
    LoadProfile(*back, chosen);
    EXPECT_TRUE(test::SameBytes(*back, record->Profiles[2]));

    EXPECT_EQ(IniFile(where.ConfigPath()).ReadString("Profile3", "FileName", ""), "Race");
    EXPECT_EQ(IniFile(where.ConfigPath()).ReadInt("Setting", "CurrentProfile", -1), 2);
    EXPECT_TRUE(ReadFile(where.ConfigFolder() + "Race.vkp") == text);
}

TEST_F(ImportExportTest, ExportIntoTheConfigFolderItself) {
    const std::string chosen = where.ConfigFolder() + "Race.vkp";
    record->CurrentProfile = 2;
    ASSERT_TRUE(ExportProfile(*record, where, chosen));
    auto back = NewProfile();
    LoadProfile(*back, chosen);
    EXPECT_TRUE(test::SameBytes(*back, record->Profiles[2]));
}

TEST_F(ImportExportTest, ExportWithoutACurrentSlotWritesNothing) {
    const std::string chosen = folder.Root() + "/Race.vkp";
    record->CurrentProfile = -1;
    EXPECT_FALSE(ExportProfile(*record, where, chosen));
    EXPECT_FALSE(test::Exists(chosen));
    EXPECT_FALSE(test::Exists(where.ConfigPath()));
}

TEST_F(ImportExportTest, ExportToAnUnwritablePlaceFails) {
    record->CurrentProfile = 2;
    EXPECT_FALSE(ExportProfile(*record, where, folder.Root() + "/no/such/folder/Race.vkp"));
    EXPECT_FALSE(test::Exists(where.ConfigPath()));
}

}  // namespace
}  // namespace kelm
