// The dispatch table: every event type with the edges of its ranges.
#include <gtest/gtest.h>

#include "keyboard/DeviceEvents.h"

namespace kelm {
namespace {

DecodedEvent Decode(std::uint16_t type, std::uint16_t data) { return DecodeDeviceEvent(MakeDeviceEvent(type, data)); }

constexpr DecodedEvent kDropped{};

TEST(DeviceEvents, ProfileTakesOneToFive) {
    EXPECT_EQ(Decode(EVT_PROFILE, 0), kDropped);
    EXPECT_EQ(Decode(EVT_PROFILE, 1), (DecodedEvent{DeviceAction::Profile, 1, 0}));
    EXPECT_EQ(Decode(EVT_PROFILE, 5), (DecodedEvent{DeviceAction::Profile, 5, 0}));
    EXPECT_EQ(Decode(EVT_PROFILE, 6), kDropped);
    EXPECT_EQ(Decode(EVT_PROFILE, 0x0101), kDropped);
}

TEST(DeviceEvents, BrightnessTakesOneToSix) {
    EXPECT_EQ(Decode(EVT_BRIGHTNESS, 0), kDropped);
    EXPECT_EQ(Decode(EVT_BRIGHTNESS, 1), (DecodedEvent{DeviceAction::Brightness, 1, 0}));
    EXPECT_EQ(Decode(EVT_BRIGHTNESS, 6), (DecodedEvent{DeviceAction::Brightness, 6, 0}));
    EXPECT_EQ(Decode(EVT_BRIGHTNESS, 7), kDropped);
}

TEST(DeviceEvents, MacroRecordAndPactKeyCarryTheWholeDataWord) {
    // Their stages and key codes are judged by the worker and the Pact
    // function, which know what they mean.
    EXPECT_EQ(Decode(EVT_MACRO_RECORD, 0x0305), (DecodedEvent{DeviceAction::MacroRecord, 0x0305, 0}));
    EXPECT_EQ(Decode(EVT_MACRO_RECORD, 0), (DecodedEvent{DeviceAction::MacroRecord, 0, 0}));
    EXPECT_EQ(Decode(EVT_PACT_KEY, 0x01AA), (DecodedEvent{DeviceAction::PactKey, 0x01AA, 0}));
    EXPECT_EQ(Decode(EVT_PACT_KEY, 0xFFFF), (DecodedEvent{DeviceAction::PactKey, 0xFFFF, 0}));
}

TEST(DeviceEvents, QuickLaunchTakesKeysOneTo48OnPressOnly) {
    EXPECT_EQ(Decode(EVT_QUICK_LAUNCH, 0), kDropped);
    EXPECT_EQ(Decode(EVT_QUICK_LAUNCH, 1), (DecodedEvent{DeviceAction::QuickLaunch, 1, 0}));
    EXPECT_EQ(Decode(EVT_QUICK_LAUNCH, 48), (DecodedEvent{DeviceAction::QuickLaunch, 48, 0}));
    EXPECT_EQ(Decode(EVT_QUICK_LAUNCH, 49), kDropped);
    EXPECT_EQ(Decode(EVT_QUICK_LAUNCH, 0x0101), kDropped);
    EXPECT_EQ(Decode(EVT_QUICK_LAUNCH, 0x8001), kDropped);
}

TEST(DeviceEvents, MediaTakesCodes20To27WithTheReleaseFlag) {
    EXPECT_EQ(Decode(EVT_MEDIA, 0x1F), kDropped);
    EXPECT_EQ(Decode(EVT_MEDIA, 0x20), (DecodedEvent{DeviceAction::Media, 0x20, 0}));
    EXPECT_EQ(Decode(EVT_MEDIA, 0x27), (DecodedEvent{DeviceAction::Media, 0x27, 0}));
    EXPECT_EQ(Decode(EVT_MEDIA, 0x28), kDropped);
    EXPECT_EQ(Decode(EVT_MEDIA, 0x0123), (DecodedEvent{DeviceAction::Media, 0x23, 1}));
    EXPECT_EQ(Decode(EVT_MEDIA, 0xFF23), (DecodedEvent{DeviceAction::Media, 0x23, 0xFF}));
}

TEST(DeviceEvents, BothKeyFunctionTypesTakeKeysOneTo48WithThePhase) {
    for (const std::uint16_t type : {EVT_KEY_FUNCTION, EVT_KEY_FUNCTION_ALSO}) {
        EXPECT_EQ(Decode(type, 0), kDropped);
        EXPECT_EQ(Decode(type, 1), (DecodedEvent{DeviceAction::KeyFunction, 1, 0}));
        EXPECT_EQ(Decode(type, 48), (DecodedEvent{DeviceAction::KeyFunction, 48, 0}));
        EXPECT_EQ(Decode(type, 49), kDropped);
        EXPECT_EQ(Decode(type, 0x0130), (DecodedEvent{DeviceAction::KeyFunction, 48, 1}));
        EXPECT_EQ(Decode(type, 0x0200), kDropped);
    }
}

TEST(DeviceEvents, OpenSetupTakesOnlyOne) {
    EXPECT_EQ(Decode(EVT_OPEN_SETUP, 0), kDropped);
    EXPECT_EQ(Decode(EVT_OPEN_SETUP, 1), (DecodedEvent{DeviceAction::OpenSetup, 0, 0}));
    EXPECT_EQ(Decode(EVT_OPEN_SETUP, 2), kDropped);
    EXPECT_EQ(Decode(EVT_OPEN_SETUP, 0x0101), kDropped);
}

TEST(DeviceEvents, PresenceIsArrivalOrRemoval) {
    EXPECT_EQ(Decode(EVT_PRESENCE, 0), kDropped);
    EXPECT_EQ(Decode(EVT_PRESENCE, 1), (DecodedEvent{DeviceAction::Arrival, 0, 0}));
    EXPECT_EQ(Decode(EVT_PRESENCE, 2), (DecodedEvent{DeviceAction::Removal, 0, 0}));
    EXPECT_EQ(Decode(EVT_PRESENCE, 3), kDropped);
}

TEST(DeviceEvents, EveryOtherTypeIsDropped) {
    const std::vector<std::uint16_t> known = {EVT_PROFILE,    EVT_MACRO_RECORD, EVT_QUICK_LAUNCH,      EVT_MEDIA,
                                              EVT_BRIGHTNESS, EVT_KEY_FUNCTION, EVT_KEY_FUNCTION_ALSO, EVT_OPEN_SETUP,
                                              EVT_PRESENCE,   EVT_PACT_KEY};
    for (std::uint32_t type = 0; type <= 0xFFFF; type += 0x0100) {
        const auto t = static_cast<std::uint16_t>(type);
        if (std::find(known.begin(), known.end(), t) != known.end()) continue;
        for (const std::uint16_t data : std::initializer_list<std::uint16_t>{0, 1, 2, 0x20, 0x0101})
            EXPECT_EQ(Decode(t, data), kDropped) << std::hex << type << " " << data;
    }
    // Types are whole 16-bit values, not ranges of them.
    EXPECT_EQ(Decode(0x0201, 1), kDropped);
    EXPECT_EQ(Decode(0x7EFF, 1), kDropped);
}

TEST(DeviceEvents, MessagesBuildTheEventFromTheLowWordsOfTheirParameters) {
    EXPECT_EQ(DeviceEventFromMessage(0x10200, 0x70003), MakeDeviceEvent(EVT_PROFILE, 3));
    EXPECT_EQ(DeviceEventFromMessage(EVT_MEDIA, -1), MakeDeviceEvent(EVT_MEDIA, 0xFFFF));
    EXPECT_EQ(PresenceEventFromMessage(1), MakeDeviceEvent(EVT_PRESENCE, 1));
    EXPECT_EQ(PresenceEventFromMessage(0), MakeDeviceEvent(EVT_PRESENCE, 2));
    EXPECT_EQ(DecodeDeviceEvent(PresenceEventFromMessage(2)), kDropped);
    EXPECT_EQ(DecodeDeviceEvent(PresenceEventFromMessage(0x100000001)), kDropped);
}

}  // namespace
}  // namespace kelm
