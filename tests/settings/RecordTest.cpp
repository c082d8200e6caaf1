// Defaults, clearing and change flags of the settings record, and the
// language index taken from the session's locale.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/Defaults.h"
#include "settings/Language.h"
#include "settings/Text.h"
#include "tests/support/SameBytes.h"
#include "tests/support/ScopedEnv.h"

namespace kelm {
namespace {

using test::ScopedEnv;

std::unique_ptr<SettingsRecord> NewRecord(unsigned char fill) {
    auto record = std::make_unique<SettingsRecord>();
    std::memset(record.get(), fill, sizeof *record);
    return record;
}

TEST(RecordDefaults, ProfileValuesMatchTheFactorySettings) {
    auto r = NewRecord(0);
    DefaultSettings(*r);
    EXPECT_EQ(FieldText(r->Profiles[0].ProFileName), "Default1");
    EXPECT_EQ(FieldText(r->Profiles[4].ProFileName), "Default5");
    for (int slot = 0; slot < kProfileCount; ++slot) {
        const ProfileRecord& p = r->Profiles[slot];
        SCOPED_TRACE(slot);
        EXPECT_EQ(FieldText(p.GameFile0), "");
        EXPECT_EQ(p.KBDelay, 1);
        EXPECT_EQ(p.KBSpeed, 31);
        EXPECT_EQ(p.MediaOption, 0);
        EXPECT_EQ(p.HDDKeyboard, 1);
        EXPECT_EQ(p.LtBrightness, 3);
        EXPECT_EQ(p.DimmerOption, 1);
        EXPECT_EQ(p.LtTimeout, 15);
        for (int m : p.ModifyKey) EXPECT_EQ(m, 1);
        EXPECT_EQ(p.SoundProfile, 1);
        EXPECT_EQ(p.SoundLRecord, 1);
        EXPECT_EQ(p.SoundSens, 1);
        EXPECT_EQ(p.VolumeUpDown, 1);
        EXPECT_EQ(p.SoundVolume, 2);
    }
}

TEST(RecordDefaults, KeyEntriesCarryTheirIndexAndFactoryCodeAndNothingElse) {
    auto r = NewRecord(0);
    DefaultSettings(*r);
    const ProfileRecord& p = r->Profiles[3];
    EXPECT_EQ(p.Keys[0].FunctionCode, 0xD3);
    EXPECT_EQ(p.Keys[9].FunctionCode, 0xDC);
    EXPECT_EQ(p.Keys[10].FunctionCode, 0xEF);
    EXPECT_EQ(p.Keys[30].FunctionCode, 0xB1);
    EXPECT_EQ(p.Keys[33].FunctionCode, 0x39);
    EXPECT_EQ(p.Keys[47].FunctionCode, 0xEF);
    EXPECT_EQ(p.Keys[48].FunctionCode, 0xD2);
    EXPECT_EQ(p.Keys[55].FunctionCode, 0xC2);
    EXPECT_EQ(p.Keys[56].FunctionCode, 0xFF);
    EXPECT_EQ(p.Keys[57].FunctionCode, 0xDF);
    for (int k = 0; k < kKeyCount; ++k) {
        MacroKeyInfo expected;
        std::memset(&expected, 0, sizeof expected);
        expected.KeyIndex = static_cast<std::uint8_t>(k);
        expected.FunctionCode = kDefaultFunctionCodes[static_cast<std::size_t>(k)];
        EXPECT_TRUE(test::SameBytes(p.Keys[k], expected)) << "key " << k;
    }
}

TEST(RecordDefaults, DefaultProfileDoesNotDependOnWhatTheRecordHeldBefore) {
    auto clean = NewRecord(0);
    auto dirty = NewRecord(0xA5);
    DefaultProfile(clean->Profiles[2], 2);
    DefaultProfile(dirty->Profiles[2], 2);
    EXPECT_TRUE(test::SameBytes(clean->Profiles[2], dirty->Profiles[2]));
}

TEST(RecordDefaults, DefaultSettingsLeavesMouseTypeAndFlagsAlone) {
    ScopedEnv all("LC_ALL", "de_CH.UTF-8");
    auto r = NewRecord(0);
    r->MouseType = 7;
    r->Flags.KeyChanged[1][5] = 1;
    r->Flags.CurrentProfileChanged = 1;
    DefaultSettings(*r);
    EXPECT_EQ(r->CurrentProfile, 0);
    EXPECT_EQ(r->WindowsProfile, -1);
    EXPECT_EQ(r->QuickHelpLan, 4);
    EXPECT_EQ(r->MouseType, 7);
    EXPECT_EQ(r->Flags.KeyChanged[1][5], 1);
    EXPECT_EQ(r->Flags.CurrentProfileChanged, 1);
}

TEST(RecordClearing, ClearSettingsKeepsFallbackSlotAndLanguage) {
    auto r = NewRecord(0x5C);
    r->WindowsProfile = 3;
    r->QuickHelpLan = 11;
    ClearSettings(*r);
    EXPECT_EQ(r->CurrentProfile, -1);
    EXPECT_EQ(r->WindowsProfile, 3);
    EXPECT_EQ(r->QuickHelpLan, 11);
    EXPECT_EQ(r->MouseType, 0);
    auto zero = NewRecord(0);
    EXPECT_EQ(std::memcmp(r->Profiles, zero->Profiles, sizeof r->Profiles), 0);
    EXPECT_TRUE(test::SameBytes(r->Flags, zero->Flags));
}

TEST(RecordClearing, ClearAndMarkTouchEveryFlagAndNothingElse) {
    auto r = NewRecord(0x77);
    auto before = NewRecord(0x77);
    MarkAllChanged(*r);
    const auto* flags = reinterpret_cast<const std::int32_t*>(&r->Flags);
    for (std::size_t i = 0; i < sizeof(ChangeFlags) / 4; ++i) ASSERT_EQ(flags[i], 1) << "flag " << i;
    EXPECT_EQ(std::memcmp(r.get(), before.get(), offsetof(SettingsRecord, Flags)), 0);
    ClearChangeFlags(*r);
    for (std::size_t i = 0; i < sizeof(ChangeFlags) / 4; ++i) ASSERT_EQ(flags[i], 0) << "flag " << i;
    EXPECT_EQ(std::memcmp(r.get(), before.get(), offsetof(SettingsRecord, Flags)), 0);
}

class ChangeFlagsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(applied.get(), 0, sizeof *applied);
        DefaultSettings(*applied);
        std::memcpy(working.get(), applied.get(), sizeof *applied);
    }
    // Every non-key flag, set to a value that is neither 0 nor 1 so that
    // a flag the computation forgot shows up.
    void PoisonFlags() {
        ChangeFlags& f = working->Flags;
        for (int p = 0; p < kProfileCount; ++p) {
            f.HDDKeyboardChanged[p] = 9;
            f.ModifyKeyChanged[p] = 9;
            f.LightChanged[p] = 9;
        }
        f.CurrentProfileChanged = 9;
    }
    int SetNonKeyFlags() const {
        const ChangeFlags& f = working->Flags;
        int n = IsFlagSet(f.CurrentProfileChanged) ? 1 : 0;
        for (int p = 0; p < kProfileCount; ++p)
            n += IsFlagSet(f.HDDKeyboardChanged[p]) + IsFlagSet(f.ModifyKeyChanged[p]) + IsFlagSet(f.LightChanged[p]);
        return n;
    }
    std::unique_ptr<SettingsRecord> applied = std::make_unique<SettingsRecord>();
    std::unique_ptr<SettingsRecord> working = std::make_unique<SettingsRecord>();
};

TEST_F(ChangeFlagsTest, EqualRecordsClearEveryNonKeyFlagAndKeepKeyFlags) {
    PoisonFlags();
    working->Flags.KeyChanged[2][17] = 1;
    working->Flags.KeyChanged[4][57] = 5;
    ComputeChangeFlags(*applied, *working);
    EXPECT_EQ(working->Flags.CurrentProfileChanged, 0);
    for (int p = 0; p < kProfileCount; ++p) {
        EXPECT_EQ(working->Flags.HDDKeyboardChanged[p], 0);
        EXPECT_EQ(working->Flags.ModifyKeyChanged[p], 0);
        EXPECT_EQ(working->Flags.LightChanged[p], 0);
    }
    EXPECT_EQ(working->Flags.KeyChanged[2][17], 1);
    EXPECT_EQ(working->Flags.KeyChanged[4][57], 5);
}

TEST_F(ChangeFlagsTest, EachFieldSetsOnlyItsOwnFlag) {
    working->Profiles[2].LtTimeout = 30;
    ComputeChangeFlags(*applied, *working);
    EXPECT_EQ(working->Flags.LightChanged[2], 1);
    EXPECT_EQ(SetNonKeyFlags(), 1);

    SetUp();
    working->Profiles[0].ModifyKey[5] = 0;
    ComputeChangeFlags(*applied, *working);
    EXPECT_EQ(working->Flags.ModifyKeyChanged[0], 1);
    EXPECT_EQ(SetNonKeyFlags(), 1);

    SetUp();
    working->Profiles[4].HDDKeyboard = 0;
    ComputeChangeFlags(*applied, *working);
    EXPECT_EQ(working->Flags.HDDKeyboardChanged[4], 1);
    EXPECT_EQ(SetNonKeyFlags(), 1);

    SetUp();
    working->Profiles[1].LtBrightness = 5;
    working->Profiles[3].DimmerOption = 0;
    ComputeChangeFlags(*applied, *working);
    EXPECT_EQ(working->Flags.LightChanged[1], 1);
    EXPECT_EQ(working->Flags.LightChanged[3], 1);
    EXPECT_EQ(SetNonKeyFlags(), 2);

    SetUp();
    working->CurrentProfile = 3;
    ComputeChangeFlags(*applied, *working);
    EXPECT_EQ(working->Flags.CurrentProfileChanged, 1);
    EXPECT_EQ(SetNonKeyFlags(), 1);
}

TEST_F(ChangeFlagsTest, HostOnlyFieldsSetNoFlag) {
    CopyField(working->Profiles[1].ProFileName, "Racing");
    working->Profiles[1].KBSpeed = 3;
    working->Profiles[1].SoundVolume = 4;
    working->Profiles[1].MediaOption = 2;
    working->WindowsProfile = 2;
    working->QuickHelpLan = 6;
    working->MouseType = 1;
    ComputeChangeFlags(*applied, *working);
    EXPECT_EQ(SetNonKeyFlags(), 0);
}

TEST(RecordFlags, OnlyTheValueOneCountsAsSet) {
    EXPECT_TRUE(IsFlagSet(1));
    for (std::int32_t v : {0, 2, -1, 0x101, 0x01000000, INT32_MIN}) EXPECT_FALSE(IsFlagSet(v)) << v;
}

TEST(RecordSlots, OnlyZeroToFourAreSlots) {
    for (int s = 0; s < 5; ++s) EXPECT_TRUE(IsValidSlot(s));
    for (int s : {-1, -2, 5, 100, INT32_MIN}) EXPECT_FALSE(IsValidSlot(s)) << s;
}

TEST(RecordRepair, EntryFromOutsideIsBroughtWithinLimits) {
    MacroKeyInfo e;
    std::memset(&e, 'x', sizeof e);
    e.EventCount = 9999;
    RepairKeyEntry(e);
    EXPECT_EQ(e.EventCount, kMaxEvents);
    EXPECT_EQ(FieldText(e.KeyLabel).size(), sizeof e.KeyLabel - 1);
    EXPECT_EQ(FieldText(e.MacroSetName).size(), sizeof e.MacroSetName - 1);
    EXPECT_EQ(FieldText(e.MacroName).size(), sizeof e.MacroName - 1);
    EXPECT_EQ(FieldText(e.TimerName).size(), sizeof e.TimerName - 1);
    EXPECT_EQ(FieldText(e.QuickLaunchPath).size(), sizeof e.QuickLaunchPath - 1);
}

TEST(Language, LanguageIdentifiersSelectTheirIndex) {
    EXPECT_EQ(LanguageIndexForLangId(0x0406), 0);
    EXPECT_EQ(LanguageIndexForLangId(0x0409), 1);
    EXPECT_EQ(LanguageIndexForLangId(0x040B), 2);
    EXPECT_EQ(LanguageIndexForLangId(0x140C), 3);
    EXPECT_EQ(LanguageIndexForLangId(0x0807), 4);
    EXPECT_EQ(LanguageIndexForLangId(0x0810), 5);
    EXPECT_EQ(LanguageIndexForLangId(0x0411), 6);
    EXPECT_EQ(LanguageIndexForLangId(0x0412), 7);
    EXPECT_EQ(LanguageIndexForLangId(0x0415), 8);
    EXPECT_EQ(LanguageIndexForLangId(0x0419), 9);
    EXPECT_EQ(LanguageIndexForLangId(0x0804), 10);
    EXPECT_EQ(LanguageIndexForLangId(0x0C0A), 11);
    EXPECT_EQ(LanguageIndexForLangId(0x1C0A), 11);
    EXPECT_EQ(LanguageIndexForLangId(0x500A), 11);
    EXPECT_EQ(LanguageIndexForLangId(0x041D), 12);
    EXPECT_EQ(LanguageIndexForLangId(0x041E), 13);
    EXPECT_EQ(LanguageIndexForLangId(0x0404), 14);
    EXPECT_EQ(LanguageIndexForLangId(0x041F), 15);
    EXPECT_EQ(LanguageIndexForLangId(0x042A), 16);
    // Neighbours of the listed identifiers are other languages.
    EXPECT_EQ(LanguageIndexForLangId(0x0413), 1);
    EXPECT_EQ(LanguageIndexForLangId(0x540A), 1);
    EXPECT_EQ(LanguageIndexForLangId(0x0C10), 1);
    EXPECT_EQ(LanguageIndexForLangId(0x081D), 1);
    EXPECT_EQ(LanguageIndexForLangId(0x0C04), 1);
    EXPECT_EQ(LanguageIndexForLangId(0x0000), 1);
    EXPECT_EQ(LanguageIndexForLangId(0xFFFF), 1);
}

TEST(Language, LocaleNamesMapToWindowsIdentifiers) {
    EXPECT_EQ(LangIdForLocale("es_ES"), 0x0C0A);
    EXPECT_EQ(LangIdForLocale("de_CH"), 0x0807);
    EXPECT_EQ(LangIdForLocale("nl_NL"), 0x0413);
    EXPECT_EQ(LangIdForLocale("es_ES.UTF-8"), 0x0C0A);
    EXPECT_EQ(LangIdForLocale("es_ES@euro"), 0x0C0A);
    EXPECT_EQ(LangIdForLocale("de_CH.ISO-8859-1@euro"), 0x0807);
    EXPECT_EQ(LangIdForLocale("de_AT.utf8"), 0x0C07);
    EXPECT_EQ(LangIdForLocale("fr_CA"), 0x0C0C);
    EXPECT_EQ(LangIdForLocale("zh_TW.UTF-8"), 0x0404);
    EXPECT_EQ(LangIdForLocale("zh_CN.GB18030"), 0x0804);
    EXPECT_EQ(LangIdForLocale("pl"), 0x0415);
    // A territory the table does not know falls back to the language.
    EXPECT_EQ(LangIdForLocale("de_BE.UTF-8"), 0x0407);
    EXPECT_EQ(LangIdForLocale("C"), kLangEnglishUS);
    EXPECT_EQ(LangIdForLocale("C.UTF-8"), kLangEnglishUS);
    EXPECT_EQ(LangIdForLocale("POSIX"), kLangEnglishUS);
    EXPECT_EQ(LangIdForLocale(""), kLangEnglishUS);
    EXPECT_EQ(LangIdForLocale("xx_YY"), kLangEnglishUS);
}

TEST(Language, DefaultIndexFollowsTheLocaleEnvironmentInPriorityOrder) {
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv messages("LC_MESSAGES", nullptr);
    ScopedEnv lang("LANG", nullptr);
    EXPECT_EQ(DefaultLanguageIndex(), 1);

    ::setenv("LANG", "es_ES.UTF-8", 1);
    EXPECT_EQ(DefaultLanguageIndex(), 11);
    ::setenv("LC_MESSAGES", "nl_NL.UTF-8", 1);
    EXPECT_EQ(DefaultLanguageIndex(), 1);
    ::setenv("LC_ALL", "de_CH.UTF-8", 1);
    EXPECT_EQ(DefaultLanguageIndex(), 4);
    // An empty variable is not set.
    ::setenv("LC_ALL", "", 1);
    ::setenv("LC_MESSAGES", "", 1);
    EXPECT_EQ(DefaultLanguageIndex(), 11);
    ::setenv("LANG", "C", 1);
    EXPECT_EQ(DefaultLanguageIndex(), 1);
    ::setenv("LANG", "POSIX", 1);
    EXPECT_EQ(DefaultLanguageIndex(), 1);
}

}  // namespace
}  // namespace kelm
