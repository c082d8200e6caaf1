#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "settings/Defaults.h"
#include "tools/kelmctl/ChangeSummary.h"

namespace kelm::ctl {
namespace {

TEST(ChangeSummary, KeysAreNamedAsTheKeyPagesNameThem) {
    const std::pair<int, std::string_view> expected[] = {
        {0, "M1"},  {4, "M5"},   {5, "EM1"},  {9, "EM5"},  {10, "1"},      {14, "5"},       {15, "Q"},   {19, "T"},
        {20, "A"},  {24, "G"},   {25, "Z"},   {29, "B"},   {30, "T1"},     {32, "T3"},      {33, "ET1"}, {35, "ET3"},
        {36, "F1"}, {47, "F12"}, {48, "MM1"}, {55, "MM8"}, {56, "CapsLk"}, {57, "ECapsLk"}, {-1, "?"},   {58, "?"}};
    for (const auto& [index, name] : expected) EXPECT_EQ(KeyName(index), name) << index;
}

TEST(ChangeSummary, AKeyCountsAsChangedWhenAnyOfItsBytesDiffers) {
    const auto applied = std::make_unique<SettingsRecord>();
    ClearSettings(*applied);
    DefaultSettings(*applied);
    const auto working = std::make_unique<SettingsRecord>(*applied);
    working->Flags.KeyChanged[0][3] = 1;        // stale: the entries are equal
    working->Profiles[1].Keys[40].Pad2[1] = 7;  // a byte no editor shows
    working->Profiles[4].Keys[57].FunctionCode = kFnMacro;
    MarkChangedKeys(*applied, *working);
    for (int p = 0; p < kProfileCount; ++p)
        for (int k = 0; k < kKeyCount; ++k) {
            const bool changed = (p == 1 && k == 40) || (p == 4 && k == 57);
            EXPECT_EQ(working->Flags.KeyChanged[p][k], changed ? 1 : 0) << p << ' ' << k;
        }
}

TEST(ChangeSummary, DescribesEverySetFlagWithProfilesNumberedFromOne) {
    ChangeFlags flags;
    std::memset(&flags, 0, sizeof flags);
    EXPECT_EQ(DescribeChangeFlags(flags), "nothing");
    flags.CurrentProfileChanged = 1;
    flags.KeyChanged[1][36] = 1;
    flags.KeyChanged[1][40] = 1;
    flags.LightChanged[1] = 1;
    EXPECT_EQ(DescribeChangeFlags(flags), "current profile, Profile 2 keys F1 F5, Profile 2 light");
    flags.CurrentProfileChanged = 2;  // only 1 counts as set
    flags.LightChanged[1] = -1;
    flags.KeyChanged[1][40] = 0;
    flags.ModifyKeyChanged[0] = 1;
    flags.HDDKeyboardChanged[4] = 1;
    EXPECT_EQ(DescribeChangeFlags(flags), "Profile 1 switchable keys, Profile 2 key F1, Profile 5 HDDKeyboard");
    const auto all = std::make_unique<SettingsRecord>();
    ClearSettings(*all);
    MarkAllChanged(*all);
    std::string everything = "current profile";
    for (int p = 1; p <= kProfileCount; ++p)
        for (const char* item : {" all keys", " switchable keys", " light", " HDDKeyboard"})
            everything += ", Profile " + std::to_string(p) + item;
    EXPECT_EQ(DescribeChangeFlags(all->Flags), everything);
}

}  // namespace
}  // namespace kelm::ctl
