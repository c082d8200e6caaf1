// KelmSetup's records and hand-off on a fake monitor link and a throw-away
// program folder: where the settings come from, what Apply writes where,
// and what KelmWatch's messages replace.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"
#include "settings/Text.h"
#include "setup/SetupSession.h"
#include "tests/setup/FakeMonitorLink.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm::test {
namespace {

class SetupSessionTest : public ::testing::Test {
protected:
    // The files say slot 4; the monitor's block says slot 2.
    void SetUp() override {
        auto files = std::make_unique<SettingsRecord>();
        DefaultSettings(*files);
        files->CurrentProfile = 3;
        CopyField(files->Profiles[3].ProFileName, "FromFiles");
        ASSERT_EQ(SaveAll(*files, folder.Where()), 1);
        monitor.block->CurrentProfile = 1;
        CopyField(monitor.block->Profiles[1].ProFileName, "FromMonitor");
    }
    int SavedCurrentProfile() const {
        return IniFile(folder.Where().ConfigPath()).ReadInt("Setting", "CurrentProfile", -99);
    }

    TempProgramFolder folder;
    FakeMonitorLink monitor;
    SetupSession session{monitor, folder.Where()};
};

TEST_F(SetupSessionTest, StartsFromTheMonitorsBlockElseFromTheFiles) {
    struct Case {
        IMonitorLink::OpenResult open;
        bool readFails;
        SetupSession::StartResult result;
        int slot;
        const char* name;
    };
    const Case cases[] = {
        {IMonitorLink::OpenResult::Opened, false, SetupSession::StartResult::FromMonitor, 1, "FromMonitor"},
        {IMonitorLink::OpenResult::Absent, false, SetupSession::StartResult::FromFiles, 3, "FromFiles"},
        {IMonitorLink::OpenResult::Unmappable, false, SetupSession::StartResult::BlockUnmappable, 3, "FromFiles"},
        // A block that cannot be copied is no block.
        {IMonitorLink::OpenResult::Opened, true, SetupSession::StartResult::FromFiles, 3, "FromFiles"},
    };
    for (const Case& c : cases) {
        monitor.openResult = c.open;
        monitor.readFails = c.readFails;
        monitor.block->Flags.CurrentProfileChanged = 1;
        SetupSession fresh(monitor, folder.Where());
        EXPECT_EQ(fresh.Start(), c.result);
        EXPECT_EQ(fresh.CurrentSlot(), c.slot);
        EXPECT_EQ(FieldText(fresh.Working().Profiles[c.slot].ProFileName), c.name);
        EXPECT_EQ(fresh.Working().Flags.CurrentProfileChanged, 0) << "flags the monitor left are not edits";
        EXPECT_EQ(std::memcmp(&fresh.Working(), &fresh.Applied(), sizeof(SettingsRecord)), 0);
    }
}

TEST_F(SetupSessionTest, TheDesktopsKeyRepeatWinsOverTheMonitorsOnlyInTheWorkingRecord) {
    ProfileRecord desktop{};
    desktop.KBDelay = 3;
    desktop.KBSpeed = 7;
    ASSERT_EQ(WriteRepeatToRegistry(folder.Where(), desktop), 1);
    session.Start();
    EXPECT_EQ(session.Working().Profiles[1].KBDelay, 3);
    EXPECT_EQ(session.Working().Profiles[1].KBSpeed, 7);
    EXPECT_EQ(session.Applied().Profiles[1].KBSpeed, monitor.block->Profiles[1].KBSpeed);
}

TEST_F(SetupSessionTest, ApplyHandsTheFlaggedRecordToTheMonitorAndSavesTheFiles) {
    session.Start();
    session.SelectSlot(2);
    ASSERT_TRUE(session.BeginApply());
    EXPECT_EQ(monitor.writes, 1);
    EXPECT_EQ(monitor.block->CurrentProfile, 2);
    EXPECT_EQ(monitor.block->Flags.CurrentProfileChanged, 1);
    EXPECT_EQ(SavedCurrentProfile(), 2);

    EXPECT_EQ(session.FinishApply(monitor.RequestApply(0)), SetupSession::ApplyOutcome::Sent);
    EXPECT_EQ(session.Working().Flags.CurrentProfileChanged, 0);
    EXPECT_EQ(std::memcmp(&session.Working(), &session.Applied(), sizeof(SettingsRecord)), 0);
    // Nothing changed since: the next apply flags nothing.
    session.BeginApply();
    EXPECT_EQ(monitor.block->Flags.CurrentProfileChanged, 0);

    EXPECT_EQ(session.FinishApply(0), SetupSession::ApplyOutcome::KeyboardMissedIt);
    EXPECT_EQ(session.FinishApply(std::nullopt), SetupSession::ApplyOutcome::NoMonitor);
}

TEST_F(SetupSessionTest, WithoutTheMonitorApplySavesTheFilesOnly) {
    monitor.openResult = IMonitorLink::OpenResult::Absent;
    session.Start();
    session.SelectSlot(0);
    ASSERT_TRUE(session.BeginApply());
    EXPECT_EQ(monitor.writes, 0);
    EXPECT_EQ(SavedCurrentProfile(), 0);
    EXPECT_EQ(session.FinishApply(std::nullopt), SetupSession::ApplyOutcome::NoMonitor);
}

TEST_F(SetupSessionTest, TheWindowsProfileMarkerClearsOnTheMarkedSlotAndAsksOnAnyOther) {
    session.Start();
    EXPECT_FALSE(session.ClearWindowsProfileIfMarked(2));
    EXPECT_EQ(session.Working().WindowsProfile, -1);
    session.SetWindowsProfile(2);
    EXPECT_FALSE(session.ClearWindowsProfileIfMarked(4));
    EXPECT_EQ(session.Working().WindowsProfile, 2);
    EXPECT_TRUE(session.ClearWindowsProfileIfMarked(2));
    EXPECT_EQ(session.Working().WindowsProfile, -1);
    session.SetWindowsProfile(7);
    EXPECT_EQ(session.Working().WindowsProfile, -1);
}

TEST_F(SetupSessionTest, TheProfileDialogsFieldsTouchOnlyTheirFieldsAndKeepWholeCharacters) {
    session.Start();
    const MacroKeyInfo keyBefore = session.Working().Profiles[1].Keys[5];
    session.SetCurrentProfileFields({});
    EXPECT_EQ(FieldText(session.Working().Profiles[1].ProFileName), "");
    EXPECT_EQ(FieldText(session.Working().Profiles[1].GameFile2), "");
    EXPECT_EQ(std::memcmp(&session.Working().Profiles[1].Keys[5], &keyBefore, sizeof keyBefore), 0);

    // 124 two-byte letters and one more: 250 bytes, one over the field.
    std::string name;
    for (int i = 0; i < 125; ++i) name += "\xc3\xa9";
    session.SetCurrentProfileFields({name, {"/games/a", "", std::string(600, 'x')}});
    const ProfileFields back = session.CurrentProfileFields();
    EXPECT_EQ(back.name, name.substr(0, 248));
    EXPECT_EQ(back.gameFiles[0], "/games/a");
    EXPECT_EQ(back.gameFiles[2].size(), 499u);
}

TEST_F(SetupSessionTest, KelmWatchsMessagesReplaceWhatTheyName) {
    session.Start();
    session.SelectSlot(4);
    session.Working().Profiles[1].LtBrightness = 1;
    monitor.block->Profiles[1].LtBrightness = 4;
    monitor.block->Profiles[1].KBSpeed = 20;

    // 1257 takes the brightness of the monitor's current slot, nothing else.
    ASSERT_TRUE(session.TakeBrightnessChange());
    EXPECT_EQ(session.Working().Profiles[1].LtBrightness, 4);
    EXPECT_EQ(session.CurrentSlot(), 4);
    EXPECT_NE(session.Working().Profiles[1].KBSpeed, 20);

    // 1255 and 1254 replace unapplied edits with the monitor's record; the
    // flags the monitor left are no edits.
    monitor.block->Flags.KeyChanged[1][0] = 1;
    ASSERT_TRUE(session.TakeProfileChange());
    EXPECT_EQ(session.CurrentSlot(), 1);
    EXPECT_EQ(session.Working().Flags.KeyChanged[1][0], 0);
    session.SelectSlot(3);
    ASSERT_TRUE(session.Reload());
    EXPECT_EQ(session.CurrentSlot(), 1);
    EXPECT_EQ(session.Working().Flags.KeyChanged[1][0], 0);

    // A block that cannot be read leaves the records as they are.
    session.SelectSlot(3);
    monitor.readFails = true;
    EXPECT_FALSE(session.Reload());
    EXPECT_FALSE(session.TakeProfileChange());
    EXPECT_EQ(session.CurrentSlot(), 3);
}

TEST_F(SetupSessionTest, FirmwareTextIsTheSameRuleAtStartAndAfterAReload) {
    struct Case {
        int version;
        const char* text;
    };
    for (const Case& c : {Case{115, "1.15"}, Case{0, "N/A"}, Case{600, "N/A"}, Case{500, "5.00"}}) {
        ASSERT_TRUE(WriteFirmwareVersion(folder.Where(), c.version));
        session.Start();
        EXPECT_EQ(session.FirmwareText(), c.text) << c.version;
        session.Reload();
        EXPECT_EQ(session.FirmwareText(), c.text) << c.version << " after a reload";
    }
}

TEST_F(SetupSessionTest, LanguageTakesOnlyTheSeventeenAndResetMarksEverythingChanged) {
    session.Start();
    EXPECT_TRUE(session.SetLanguage(12));
    EXPECT_FALSE(session.SetLanguage(17));
    EXPECT_FALSE(session.SetLanguage(-1));
    EXPECT_EQ(session.Language(), 12);

    session.Working().Profiles[2].LtBrightness = 0;
    session.Reset();
    EXPECT_EQ(session.CurrentSlot(), 0);
    EXPECT_EQ(FieldText(session.Working().Profiles[4].ProFileName), "Default5");
    EXPECT_EQ(session.Working().Flags.CurrentProfileChanged, 1);
    EXPECT_EQ(session.Working().Flags.KeyChanged[4][kKeyCount - 1], 1);
}

}  // namespace
}  // namespace kelm::test
