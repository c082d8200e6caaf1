// The settings page's controls as data: what each slider position, menu
// command and switch stores, and how hand-edited values come back.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/Defaults.h"
#include "setup/AdvancedSettings.h"

namespace kelm::test {
namespace {

class AdvancedSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { DefaultProfile(profile, 0); }
    ProfileRecord profile{};
};

TEST_F(AdvancedSettingsTest, SlidersStoreTheirPositionAndTheRepeatDelayRunsOpposite) {
    struct Case {
        int controlId;
        int position;
        std::int32_t ProfileRecord::*field;
        std::int32_t stored;
    };
    const Case cases[] = {
        {300, 0, &ProfileRecord::KBDelay, 3},      {300, 3, &ProfileRecord::KBDelay, 0},
        {301, 31, &ProfileRecord::KBSpeed, 31},    {301, 99, &ProfileRecord::KBSpeed, 31},
        {302, 0, &ProfileRecord::LtBrightness, 0}, {302, 5, &ProfileRecord::LtBrightness, 5},
        {200, 4, &ProfileRecord::SoundVolume, 4},  {200, -2, &ProfileRecord::SoundVolume, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(OnAdvancedSlider(profile, c.controlId, c.position));
        EXPECT_EQ(profile.*c.field, c.stored) << c.controlId << " at " << c.position;
    }
    EXPECT_FALSE(OnAdvancedSlider(profile, 303, 1));

    // A hand-edited value outside the range puts the thumb at the end.
    profile.KBDelay = 9;
    profile.KBSpeed = -4;
    EXPECT_EQ(SliderPosition(kAdvancedSliders[0], profile), 0);
    EXPECT_EQ(SliderPosition(kAdvancedSliders[1], profile), 0);
    profile.KBDelay = 1;
    EXPECT_EQ(SliderPosition(kAdvancedSliders[0], profile), 2);
}

TEST_F(AdvancedSettingsTest, MenusOfferSixDimmerStepsAndThirtyTimeOuts) {
    ASSERT_TRUE(OnAdvancedMenuCommand(profile, 100));
    EXPECT_EQ(profile.DimmerOption, 0);
    EXPECT_EQ(DimmerTextId(profile.DimmerOption), TextId::kDimmerOff);
    ASSERT_TRUE(OnAdvancedMenuCommand(profile, 105));
    EXPECT_EQ(DimmerTextId(profile.DimmerOption), TextId::kDimmer100);
    EXPECT_EQ(DimmerTextId(6), std::nullopt);

    ASSERT_TRUE(OnAdvancedMenuCommand(profile, 200));
    EXPECT_EQ(profile.LtTimeout, 1);
    ASSERT_TRUE(OnAdvancedMenuCommand(profile, 229));
    EXPECT_EQ(profile.LtTimeout, 30);
    for (const int other : {99, 106, 199, 230}) EXPECT_FALSE(OnAdvancedMenuCommand(profile, other)) << other;
    EXPECT_EQ(profile.LtTimeout, 30);
    EXPECT_EQ(profile.DimmerOption, 5);
}

TEST_F(AdvancedSettingsTest, SwitchesToggleTheirOwnFieldAndOnlyOneCountsAsOn) {
    for (const AdvancedSwitch& control : kAdvancedSwitches) {
        const auto before = std::make_unique<ProfileRecord>(profile);
        *control.field(profile) = 2;
        EXPECT_FALSE(SwitchOn(control, profile)) << control.layout;
        ToggleSwitch(control, profile);
        EXPECT_TRUE(SwitchOn(control, profile)) << control.layout;
        ToggleSwitch(control, profile);
        EXPECT_EQ(*control.field(profile), 0);
        *control.field(*before) = 0;
        EXPECT_EQ(std::memcmp(before.get(), &profile, sizeof profile), 0) << control.layout << " touched another field";
        profile = *before;
    }
}

}  // namespace
}  // namespace kelm::test
