// Settings handed over through the shared block: the apply handshake, the
// reload messages, and display texts by WM_COPYDATA.
#include "MonitorFixture.h"

namespace kelm::test {
namespace {

const std::string kOsd(kOsdTitle);

class SettingsMessagesTest : public MonitorTest {
protected:
    void SetUp() override {
        files.loaded->CurrentProfile = 0;
        windows.Open(kOsd);
        files.osd.PositionX = 0x12345;  // only the low 16 bits travel
        files.osd.PositionY = 300;
        CreateAndSettle();
        keyboard.ClearCalls();
    }

    // What KelmSetup does before it sends MSG_APPLY_SETTINGS.
    void EditBlock(const std::function<void(SettingsRecord&)>& edit) {
        auto record = std::make_unique<SettingsRecord>(wnd->RecordSnapshot());
        ClearChangeFlags(*record);
        edit(*record);
        block.Edit([&](SettingsRecord& r) { r = *record; });
    }

    // Report ids that reached the keyboard, selects and polls left out.
    std::vector<std::uint8_t> Written() { return keyboard.WrittenIds(); }
};

TEST_F(SettingsMessagesTest, ApplyTakesTheBlockOverAndWritesExactlyTheFlaggedReports) {
    EditBlock([](SettingsRecord& r) {
        r.Profiles[1].LtBrightness = 2;
        r.Flags.LightChanged[1] = 1;
        r.Profiles[0].Keys[40].FunctionCode = 0xC1;
        r.Flags.KeyChanged[0][40] = 1;
        r.Flags.ModifyKeyChanged[3] = 2;  // only exactly 1 counts
        r.Profiles[0].KBDelay = 1;
        r.Profiles[0].KBSpeed = 9;
    });
    // The answer comes once the keyboard has it, and says that it does.
    EXPECT_EQ(Apply(0), 1);
    EXPECT_EQ(Written(), (std::vector<std::uint8_t>{0x08, 0x10, 0x14}));
    EXPECT_EQ(keyboard.profiles[1].light.brightness, 2);
    const std::int64_t position = (0x2345 << 16) | 300;
    EXPECT_TRUE(log.InOrder(
        {"CopyToRecord", "Rate 1 9", "LoadOsd", "Post " + kOsd + " " + std::to_string(MSG_OSD_POSITION) + " 0"}));
    ASSERT_EQ(windows.PostsTo(kOsd).size(), 1u);
    EXPECT_EQ(windows.PostsTo(kOsd)[0].lParam, position);
    EXPECT_EQ(wnd->RecordSnapshot().Profiles[1].LtBrightness, 2);
}

TEST_F(SettingsMessagesTest, ApplyWithOneResetsTheKeyboard) {
    EditBlock([](SettingsRecord& r) { r.Flags.LightChanged[1] = 1; });
    EXPECT_EQ(Apply(1), 1);
    EXPECT_EQ(keyboard.resets, 1);
    EXPECT_EQ(Written(), (std::vector<std::uint8_t>{0x11, 0x14}));
}

TEST_F(SettingsMessagesTest, ApplyWhileTheKeyboardIsAwayTakesTheSettingsButWritesNothing) {
    Presence(0);
    EditBlock([](SettingsRecord& r) {
        r.Profiles[2].DimmerOption = 4;
        r.Flags.LightChanged[2] = 1;
    });
    keyboard.ClearCalls();
    EXPECT_EQ(Apply(0), 0);  // the keyboard did not get it
    EXPECT_TRUE(keyboard.Calls().empty());
    EXPECT_EQ(wnd->RecordSnapshot().Profiles[2].DimmerOption, 4);
    EXPECT_EQ(wnd->RecordSnapshot().Flags.LightChanged[2], 1);  // kept for a later apply
    EXPECT_EQ(windows.PostsTo(kOsd).size(), 1u);
}

TEST_F(SettingsMessagesTest, AnApplyWhoseBlockCopyFailedWritesNothingButStillTakesTheRepeatAndDisplay) {
    EditBlock([](SettingsRecord& r) { r.Flags.CurrentProfileChanged = 1; });
    block.copies = false;
    EXPECT_EQ(Apply(0), 0);
    EXPECT_TRUE(keyboard.Calls().empty());
    EXPECT_TRUE(log.InOrder(
        {"CopyToRecord", "Rate 1 31", "LoadOsd", "Post " + kOsd + " " + std::to_string(MSG_OSD_POSITION) + " 0"}));
    EXPECT_FALSE(log.Has("Reply 0")) << "answered at once, not deferred";
}

TEST_F(SettingsMessagesTest, ApplyClearsThePactStatusOfEveryDevice) {
    pact.statusExists = true;
    Send(RegisterWindowMessage(kPactMonitorStatusChange), 0, 1);
    pact.writes.clear();
    Apply(0);
    ASSERT_EQ(pact.writes.size(), 1u);
    EXPECT_EQ(pact.writes[0], (PactStatusRecord{0x0201, 0xFFFF, 0, 0, 0}));
}

TEST_F(SettingsMessagesTest, ReloadMessagesCopyTheBlockAndWriteNothingToTheKeyboard) {
    EditBlock([](SettingsRecord& r) {
        r.Profiles[0].KBDelay = 3;
        r.Profiles[0].KBSpeed = 31;
        r.Profiles[4].LtTimeout = 9;
        r.Flags.LightChanged[4] = 1;
    });
    for (const std::uint32_t msg : {MSG_RELOAD_SETTINGS, MSG_RELOAD_SETTINGS_ALSO}) {
        log.Clear();
        EXPECT_EQ(Send(msg, 7, 7), 0);
        Settle();
        EXPECT_EQ(log.Entries(), std::vector<std::string>{"CopyToRecord"});
    }
    log.Clear();
    EXPECT_EQ(Send(MSG_RELOAD_SETTINGS_AND_RATE), 0);
    Settle();
    EXPECT_EQ(log.Entries(), (std::vector<std::string>{"CopyToRecord", "Rate 3 31"}));
    EXPECT_EQ(wnd->RecordSnapshot().Profiles[4].LtTimeout, 9);
    EXPECT_TRUE(keyboard.Calls().empty());
}

TEST_F(SettingsMessagesTest, ARateIsAppliedOnlyForACurrentProfile) {
    EditBlock([](SettingsRecord& r) { r.CurrentProfile = 9; });
    log.Clear();
    Send(MSG_RELOAD_SETTINGS_AND_RATE);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"CopyToRecord"});
}

WindowMessage CopyData(std::string data) {
    WindowMessage m;
    m.kind = MessageKind::CopyData;
    m.msg = WM_COPYDATA;
    m.data = std::move(data);
    return m;
}

TEST_F(SettingsMessagesTest, DisplayTextsComeOnlyInBlocksOf151Bytes) {
    std::string block151(151, '\0');
    block151.replace(1, 5, "Hello");
    EXPECT_EQ(wnd->WindowProc(CopyData(block151)), 1);
    EXPECT_TRUE(log.Has("Display Hello connected"));

    // No terminator: all 150 characters.
    EXPECT_EQ(wnd->WindowProc(CopyData("x" + std::string(150, 'A'))), 1);
    EXPECT_TRUE(log.Has("Display " + std::string(150, 'A') + " connected"));

    log.Clear();
    for (const std::size_t size : {0u, 1u, 150u, 152u, 65536u})
        EXPECT_EQ(wnd->WindowProc(CopyData(std::string(size, 'B'))), 1) << size;
    EXPECT_TRUE(log.Entries().empty());

    Presence(0);
    wnd->WindowProc(CopyData(block151));
    EXPECT_TRUE(log.Has("Display Hello away"));
}

}  // namespace
}  // namespace kelm::test
