// Pact status sharing: the records Pact keys make, the registration file,
// and the exchange with the Pact monitor.
#include <filesystem>
#include <fstream>

#include "MonitorFixture.h"
#include "monitor/PactKeys.h"
#include "monitor/PactRegistration.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"

namespace kelm::test {
namespace {

constexpr std::uint16_t Press(std::uint8_t code) { return code; }
constexpr std::uint16_t Release(std::uint8_t code, std::uint8_t phase = 1) {
    return static_cast<std::uint16_t>(phase << 8 | code);
}

class PactKeys : public ::testing::Test {
protected:
    void SetUp() { DefaultProfile(profile, 0); }
    void Assign(int entry, std::uint8_t code, std::int32_t target = 0x0101) {
        profile.Keys[entry].FunctionCode = code;
        profile.Keys[entry].TargetDevice = target;
    }
    std::optional<PactKeyRecord> Key(std::uint16_t data) { return PactKeyFunction(data, profile, lock); }

    ProfileRecord profile{};
    bool lock = false;
};

TEST_F(PactKeys, KeyCodesNameTheirEntries) {
    EXPECT_EQ(PactKeyEntry(0x39), 56);
    EXPECT_EQ(PactKeyEntry(0xAA), 0);
    EXPECT_EQ(PactKeyEntry(0xAE), 4);
    EXPECT_EQ(PactKeyEntry(0xFC), 30);
    EXPECT_EQ(PactKeyEntry(0xFE), 32);
    for (const int other : {0x00, 0x38, 0x3A, 0xA9, 0xAF, 0xFB, 0xFF})
        EXPECT_FALSE(PactKeyEntry(static_cast<std::uint8_t>(other)));
}

TEST_F(PactKeys, SteadixLevelWhileHeld) {
    Assign(1, 0xF8);
    EXPECT_EQ(Key(Press(0xAB))->record, (PactStatusRecord{0x0201, 0x0101, 255, 255, 2}));
    EXPECT_EQ(Key(Release(0xAB))->record, (PactStatusRecord{0x0201, 0x0101, 255, 255, 0}));
    EXPECT_EQ(Key(Release(0xAB))->wParam, 0u);
    Assign(56, 0xFB, 0x0301);
    EXPECT_EQ(Key(Press(0x39))->record.SteadixLevel, 5u);
    Assign(30, 0xF7);
    EXPECT_EQ(Key(Press(0xFC))->record.SteadixLevel, 1u);
}

TEST_F(PactKeys, DuoLayerHoldReleasesOnlyWithPhaseOne) {
    Assign(32, 0xF5, 0x0101);
    EXPECT_EQ(Key(Press(0xFE))->record, (PactStatusRecord{0x0201, 0x0101, 1, 255, 255}));
    EXPECT_EQ(Key(Release(0xFE))->record.DuoLayerState, 0u);
    EXPECT_EQ(Key(Release(0xFE, 2))->record.DuoLayerState, 255u);
    Assign(32, 0x8C, 0x0101);
    EXPECT_EQ(Key(Press(0xFE))->record, (PactStatusRecord{0x0201, 0xFFFF, 1, 255, 255}));
}

TEST_F(PactKeys, LockKeysToggleOnPressAndIgnoreReleases) {
    Assign(0, 0xF6);
    const auto first = Key(Press(0xAA));
    EXPECT_EQ(first->record, (PactStatusRecord{0x0201, 0x0101, 255, 1, 255}));
    EXPECT_EQ(first->wParam, 2u);
    EXPECT_FALSE(Key(Release(0xAA)));
    const auto second = Key(Press(0xAA));
    EXPECT_EQ(second->record.DuoLayerLock, 0u);
    EXPECT_EQ(second->wParam, 2u);
    Assign(0, 0x8D);
    EXPECT_EQ(Key(Press(0xAA))->record, (PactStatusRecord{0x0201, 0xFFFF, 255, 1, 255}));
    EXPECT_TRUE(lock);
}

TEST_F(PactKeys, OtherCodesAndKeysMakeNoRecord) {
    Assign(2, 0xBE);
    EXPECT_FALSE(Key(Press(0xAC)));
    Assign(2, 0xFC);  // past the Steadix codes
    EXPECT_FALSE(Key(Press(0xAC)));
    Assign(5, 0xF5);  // entry 5 has no Pact key code
    EXPECT_FALSE(Key(Press(0xAF)));
}

TEST(PactRelay, OnlyRecordsOfOtherDevicesForThisKeyboardOrAll) {
    EXPECT_TRUE(IsForThisKeyboard({0x0101, 0x0201, 1, 0, 255}));
    EXPECT_TRUE(IsForThisKeyboard({0x0101, 0xFFFF, 1, 0, 255}));
    EXPECT_FALSE(IsForThisKeyboard({0x0201, 0xFFFF, 1, 0, 255}));
    EXPECT_FALSE(IsForThisKeyboard({0x0101, 0x0101, 1, 0, 255}));
    EXPECT_EQ(PactResetRecord(), (PactStatusRecord{0x0201, 0xFFFF, 0, 0, 0}));
}

// ---- the registration file ----

class PactRegistrationTest : public ::testing::Test {
protected:
    std::string Path() { return folder.Where().SharedSettingsFolder() + "PConfig.ini"; }
    std::string Text() {
        std::ifstream in(Path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    TempProgramFolder folder;
};

TEST_F(PactRegistrationTest, RegistersOnceAndFollowsTheKeyboard) {
    PactRegistration registration(Path());
    registration.Register();
    const IniFile file(Path());
    EXPECT_EQ(file.ReadString("Kelm", "Name", ""), "Kelm");
    EXPECT_EQ(file.ReadString("Kelm", "WindowName", ""), "VELDAN Kelm Keyboard Monitor");
    EXPECT_EQ(file.ReadInt("Kelm", "Device", -1), 0);

    registration.WriteDeviceStatus(1);
    const std::string before = Text();
    PactRegistration again(Path());
    again.Register();
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(IniFile(Path()).ReadInt("Kelm", "Device", -1), 1);
}

TEST_F(PactRegistrationTest, ASectionNamingKelmInAnyCaseIsLeftAsItIs) {
    {
        std::ofstream out(Path());
        out << "[Vask]\r\nName=Vask\r\n[MyKeyboard]\r\nName=KELM\r\nWindowName=Other\r\n";
    }
    const std::string before = Text();
    PactRegistration registration(Path());
    registration.Register();
    EXPECT_EQ(Text(), before);
    // The device status goes where the keyboard is registered.
    registration.WriteDeviceStatus(2);
    const IniFile file(Path());
    EXPECT_EQ(file.ReadInt("MyKeyboard", "Device", -1), 2);
    EXPECT_FALSE(file.Lookup("Kelm", "Device"));
}

TEST_F(PactRegistrationTest, AFileThatCannotBeWrittenIsNotReported) {
    std::filesystem::create_directories(Path());  // a folder where the file should be
    PactRegistration registration(Path());
    registration.Register();
    registration.WriteDeviceStatus(1);
    EXPECT_TRUE(std::filesystem::is_directory(Path()));
}

// ---- the exchange with the Pact monitor ----

class PactExchangeTest : public MonitorTest {
protected:
    void SetUp() override {
        files.loaded->CurrentProfile = 0;
        LoadedProfile(0).Keys[1].FunctionCode = 0xF8;
        LoadedProfile(0).Keys[1].TargetDevice = 0x0101;
        LoadedProfile(0).Keys[0].FunctionCode = 0xF6;
        LoadedProfile(0).Keys[0].TargetDevice = 0x0101;
        keyboard.stamp = MakeSyncStamp(1'600'000'000);
        files.stamp = keyboard.stamp;
        windows.Open(std::string(kPactMonitorTitle));
    }
    std::vector<Post> ToPact(std::uint32_t msg) {
        std::vector<Post> posts;
        for (const Post& post : windows.PostsTo(std::string(kPactMonitorTitle)))
            if (post.msg == msg) posts.push_back(post);
        return posts;
    }
    const std::uint32_t toPact = RegisterWindowMessage(kPactActiveStatusToPact);
    const std::uint32_t fromPact = RegisterWindowMessage(kPactActiveStatusFromPact);
    const std::uint32_t statusChange = RegisterWindowMessage(kPactMonitorStatusChange);
};

TEST_F(PactExchangeTest, KeysSendNothingWithoutThePactMonitor) {
    CreateAndSettle();
    Event(EVT_PACT_KEY, 0xAB);
    EXPECT_TRUE(pact.writes.empty());
    // A lock press still toggles the lock that a later record carries.
    Event(EVT_PACT_KEY, 0xAA);
    pact.statusExists = true;
    Send(statusChange, 0, 1);
    Event(EVT_PACT_KEY, 0xAA);
    ASSERT_EQ(pact.writes.size(), 1u);
    EXPECT_EQ(pact.writes[0].DuoLayerLock, 0u);
}

TEST_F(PactExchangeTest, ABlockThatCannotBeWrittenOnlySkipsTheWrite) {
    pact.statusExists = true;
    pact.statusWriteFails = true;
    CreateAndSettle();
    Send(statusChange, 0, 1);
    Event(EVT_PACT_KEY, 0xAA);
    Apply(0);  // resets every device
    EXPECT_TRUE(pact.writes.empty());
    EXPECT_EQ(ToPact(toPact).size(), 2u) << "the Pact monitor is told all the same";
}

TEST_F(PactExchangeTest, KeyRecordsAreWrittenThenAnnounced) {
    pact.statusExists = true;
    pact.ambientExists = true;
    CreateAndSettle();
    Event(EVT_PACT_KEY, 0xAB);
    Event(EVT_PACT_KEY, 0x01AB);
    Event(EVT_PACT_KEY, 0xAA);
    ASSERT_EQ(pact.writes.size(), 3u);
    EXPECT_EQ(pact.writes[0], (PactStatusRecord{0x0201, 0x0101, 255, 255, 2}));
    EXPECT_EQ(pact.writes[1], (PactStatusRecord{0x0201, 0x0101, 255, 255, 0}));
    const auto posts = ToPact(toPact);
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(posts[0].wParam, 0u);
    EXPECT_EQ(posts[2].wParam, 2u);
}

TEST_F(PactExchangeTest, AProfileChangeResetsEveryDevice) {
    pact.statusExists = true;
    CreateAndSettle();
    Event(EVT_PACT_KEY, 0xAA);  // lock on
    Event(EVT_PROFILE, 2);
    ASSERT_EQ(pact.writes.size(), 2u);
    EXPECT_EQ(pact.writes[1], PactResetRecord());
    Event(EVT_PROFILE, 1);
    Event(EVT_PACT_KEY, 0xAA);  // the reset cleared the lock: on again
    EXPECT_EQ(pact.writes.back().DuoLayerLock, 1u);
}

TEST_F(PactExchangeTest, RecordsForThisKeyboardAreRelayedAndOwnOnesAreNot) {
    pact.statusExists = true;
    CreateAndSettle();
    pact.status = {0x0101, 0x0201, 1, 0, 255};
    Send(fromPact);
    pact.status = {0x0201, 0xFFFF, 0, 1, 255};  // written by this monitor
    Send(fromPact);
    pact.status = {0x0101, 0x0101, 0, 1, 255};  // for the mouse
    Send(fromPact);
    pact.status = {0x0301, 0xFFFF, 0x100, 0x1FF, 3};  // low bytes travel
    Send(fromPact);
    Settle();
    EXPECT_EQ(log.Count("PactRelay 1 0"), 1);
    EXPECT_EQ(log.Count("PactRelay 0 255"), 1);
    EXPECT_EQ(log.Count("PactRelay 0 1"), 0);
    ASSERT_TRUE(keyboard.relay.has_value());
}

TEST_F(PactExchangeTest, ThePactMonitorStartingAndEndingOpensAndClosesTheBlocks) {
    CreateAndSettle();
    EXPECT_FALSE(wnd->PactActive());
    pact.statusExists = true;
    pact.ambientExists = true;
    pact.ambient = {7, 9};
    Send(statusChange, 0, 1);
    EXPECT_TRUE(wnd->PactActive());
    EXPECT_TRUE(pact.statusOpen);
    EXPECT_TRUE(pact.ambientOpen);
    EXPECT_EQ(pact.ambientReads, 1);
    Send(RegisterWindowMessage(kPactAmbientFromPact));
    EXPECT_EQ(pact.ambientReads, 2);

    Send(statusChange, 0, 0);
    EXPECT_FALSE(wnd->PactActive());
    EXPECT_FALSE(pact.statusOpen);
    EXPECT_FALSE(pact.ambientOpen);
    Send(fromPact);
    EXPECT_EQ(log.Count("PactRelay 1 0"), 0);
}

TEST_F(PactExchangeTest, DeviceStatusFollowsTheKeyboard) {
    CreateAndSettle();
    Presence(0);
    Presence(1);
    Fire(TIMER_ARRIVAL);
    const std::uint32_t deviceStatus = RegisterWindowMessage(kPactDeviceStatusToMonitor);
    EXPECT_EQ(ToPact(deviceStatus).size(), 3u);  // start-up, removal, arrival
    const IniFile file(folder.Where().sharedFolder + "PConfig.ini");
    EXPECT_EQ(file.ReadInt("Kelm", "Device", -1), 1);
}

}  // namespace
}  // namespace kelm::test
