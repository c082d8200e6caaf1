// A page's choice stored in the working record: the key marked changed, and
// the DuoLayer pair rule on the macro-key page in both directions, kept
// apart per profile.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/Defaults.h"
#include "setup/KeyAssignment.h"

namespace kelm::test {
namespace {

constexpr int kM3 = 2;
constexpr int kEm3 = 7;
constexpr int kStandard = 1001;
constexpr int kDuoLayerKelm = 1002;
constexpr int kPactVask = 11210;
constexpr int kProfileUp = 1021;

class KeyAssignmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultSettings(*record);
        record->CurrentProfile = 1;
    }
    bool Assign(int key, int command, bool pairRule = true) {
        return AssignKeyFunction(*record, key, command, {}, backup, pairRule);
    }
    std::uint8_t Code(int key, int profile = 1) const { return record->Profiles[profile].Keys[key].FunctionCode; }
    bool Changed(int key, int profile = 1) const { return record->Flags.KeyChanged[profile][key] == 1; }

    std::unique_ptr<SettingsRecord> record = std::make_unique<SettingsRecord>();
    DuoLayerBackup backup{};
};

TEST_F(KeyAssignmentTest, ADuoLayerKeyDisablesItsTwinAndGivesItBackWhenItStopsBeingOne) {
    const std::uint8_t twin = Code(kEm3);
    ASSERT_TRUE(Assign(kM3, kDuoLayerKelm));
    EXPECT_EQ(Code(kM3), 0xFF);
    EXPECT_EQ(Code(kEm3), 0xDF);
    EXPECT_TRUE(Changed(kM3));
    EXPECT_TRUE(Changed(kEm3));

    // Another DuoLayer code keeps the twin off and its saved code intact.
    ASSERT_TRUE(Assign(kM3, kPactVask));
    EXPECT_EQ(Code(kEm3), 0xDF);
    ASSERT_TRUE(Assign(kM3, kStandard));
    EXPECT_EQ(Code(kEm3), twin);
}

TEST_F(KeyAssignmentTest, ATwinOffBeforeTheRuleSawItBecomesDisabled) {
    record->Profiles[1].Keys[kEm3].FunctionCode = 0xDF;
    ASSERT_TRUE(Assign(kM3, kDuoLayerKelm));
    EXPECT_EQ(Code(kEm3), 0xDF);
    EXPECT_FALSE(Changed(kEm3));
    ASSERT_TRUE(Assign(kM3, kProfileUp));
    EXPECT_EQ(Code(kEm3), 0x00);
    EXPECT_TRUE(Changed(kEm3));
}

TEST_F(KeyAssignmentTest, EachProfileGetsBackItsOwnTwin) {
    record->Profiles[1].Keys[kEm3].FunctionCode = 0xC1;
    record->Profiles[3].Keys[kEm3].FunctionCode = 0xC2;
    ASSERT_TRUE(Assign(kM3, kDuoLayerKelm));
    record->CurrentProfile = 3;
    ASSERT_TRUE(Assign(kM3, kDuoLayerKelm));
    ASSERT_TRUE(Assign(kM3, kStandard));
    record->CurrentProfile = 1;
    ASSERT_TRUE(Assign(kM3, kStandard));
    EXPECT_EQ(Code(kEm3, 1), 0xC1);
    EXPECT_EQ(Code(kEm3, 3), 0xC2);
}

TEST_F(KeyAssignmentTest, OnlyTheMacroKeyPagesStandardKeysDriveTheRuleAndARefusalChangesNothing) {
    // Other pages store without the rule.
    ASSERT_TRUE(Assign(kM3, kDuoLayerKelm, false));
    EXPECT_NE(Code(kEm3), 0xDF);
    // A DuoLayer code on a twin itself, or on a key without a twin, moves no
    // other key.
    const auto before = std::make_unique<SettingsRecord>(*record);
    ASSERT_TRUE(Assign(kEm3, kDuoLayerKelm));
    ASSERT_TRUE(Assign(12, kDuoLayerKelm));
    for (int key = 0; key < kKeyCount; ++key) {
        if (key == kEm3 || key == 12) continue;
        EXPECT_EQ(Code(key), before->Profiles[1].Keys[key].FunctionCode) << key;
    }

    const auto unchanged = std::make_unique<SettingsRecord>(*record);
    EXPECT_FALSE(Assign(kM3, 1099));  // opens the macro manager: stores nothing
    EXPECT_FALSE(Assign(kKeyCount, kStandard));
    EXPECT_FALSE(Assign(-1, kStandard));
    record->CurrentProfile = -1;
    EXPECT_FALSE(Assign(kM3, kStandard));
    record->CurrentProfile = 1;
    EXPECT_EQ(std::memcmp(unchanged.get(), record.get(), sizeof(SettingsRecord)), 0);
}

}  // namespace
}  // namespace kelm::test
