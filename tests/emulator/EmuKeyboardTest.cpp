#include <gtest/gtest.h>

#include "KeyboardFixture.h"

namespace kelm::emu::test {
namespace {

using Bytes = ReportBytes;

KeyGroupData GroupWith(const KeyGroup& group, std::uint8_t profile, std::uint8_t code) {
    KeyGroupData data;
    data.profile = profile;
    for (int i = 0; i < group.count; ++i) data.keys[static_cast<std::size_t>(i)] = {code, 0, 0};
    return data;
}

MacroKeyInfo MacroEntry(int keyIndex, int events) {
    MacroKeyInfo entry{};
    entry.KeyIndex = static_cast<std::uint8_t>(keyIndex);
    entry.FunctionCode = kFnMacro;
    entry.MacroOption = 2;
    std::strcpy(entry.MacroName, "Reload");
    entry.EventCount = static_cast<std::uint16_t>(events);
    for (int i = 0; i < events; ++i)
        entry.Events[i] = {static_cast<std::uint8_t>(0x04 + i % 20), static_cast<std::uint8_t>(1 + i % 2),
                           static_cast<std::uint16_t>(10 * i)};
    return entry;
}

// ---- answers of a factory keyboard ----

TEST_F(KeyboardFixture, FactoryKeyboardAnswersWithTheKnownBytes) {
    EXPECT_EQ(Read(ReportId::ProfileReport), (Bytes{0x05, 0x03, 0x00}));
    EXPECT_EQ(Read(ReportId::FirmwareReport)[2], 115);
    EXPECT_EQ(SelectAndRead(ReportId::ModifyKeyReport, 0, 0x50), (Bytes{0x07, 0x06, 0x00, 0x3F, 0x4C, 0x00}));
    EXPECT_EQ(SelectAndRead(ReportId::LightReport, 1, 0x70),
              (Bytes{0x10, 0x0A, 0x01, 0x03, 0x00, 0x03, 0x01, 0x0F, 0x31, 0x00}));
    Bytes fkeys{0x08, 0x29, 0x00};
    for (std::uint8_t code = 0x3A; code <= 0x45; ++code) fkeys.push_back(code);
    fkeys.resize(39, 0);
    fkeys.push_back(0x2B);
    fkeys.push_back(0x03);
    EXPECT_EQ(SelectAndRead(ReportId::FKeyGroupReport, 0, 0x60), fkeys);
    EXPECT_EQ(Read(ReportId::SyncStampReport), BuildSyncStampReport(SyncStamp{}));
}

TEST_F(KeyboardFixture, EveryReadCarriesAValidFrame) {
    for (const ReportInfo& info : kReportTable) {
        const auto answer = keyboard.GetFeature(static_cast<std::uint8_t>(info.id), info.length);
        const bool writeOnly = info.id == ReportId::ResetReport || info.id == ReportId::HostStateReport ||
                               info.id == ReportId::PactRelayReport;
        if (writeOnly) {
            EXPECT_FALSE(answer) << info.name;
            continue;
        }
        ASSERT_TRUE(answer) << info.name;
        EXPECT_TRUE(FrameValid(*answer, info.id)) << info.name;
        if (info.id != ReportId::ControlReport) {
            EXPECT_EQ(DeclaredLength(*answer), info.length) << info.name;
        }
    }
}

// ---- writes, select-then-read ----

TEST_F(KeyboardFixture, EveryGroupWrittenReadsBackForItsProfileOnly) {
    for (const KeyGroup& group : kKeyGroups) {
        const Bytes written = BuildKeyGroupReport(group, GroupWith(group, 3, 0xBD));
        ASSERT_TRUE(Write(written)) << group.Info().name;
        EXPECT_EQ(Status(), kStatusReady);
        EXPECT_EQ(SelectAndRead(group.id, 3, group.selectCode), written) << group.Info().name;
        EXPECT_EQ(SelectAndRead(group.id, 2, group.selectCode),
                  BuildKeyGroupReport(group, KeyGroupFromProfile(group, 2, Profile(2))));
    }
    EXPECT_EQ(Profile(3).Keys[36].FunctionCode, 0xBD);
    EXPECT_EQ(Profile(3).Keys[57].FunctionCode, 0xDF) << "ECapsLk is never sent";
    EXPECT_NE(Profile(2).Keys[36].FunctionCode, 0xBD);
}

TEST_F(KeyboardFixture, ShortcutParametersAndStandardCodesTravelBothWays) {
    const KeyGroup& fkeys = *FindKeyGroup(ReportId::FKeyGroupReport);
    KeyGroupData data = KeyGroupFromProfile(fkeys, 0, Profile(0));
    data.keys[1] = {kFnShortcut, 0x01, 0x06};  // Ctrl+C on F2
    ASSERT_TRUE(Write(BuildKeyGroupReport(fkeys, data)));
    const MacroKeyInfo& f2 = Profile(0).Keys[37];
    EXPECT_EQ(f2.FunctionCode, kFnShortcut);
    EXPECT_EQ(f2.Events[0].KeyCode, 0x06);
    EXPECT_EQ(f2.Events[0].Action, 0x01);
    EXPECT_EQ(Profile(0).Keys[36].FunctionCode, kFnStandard) << "F1's own code reads as standard";
    const Bytes back = SelectAndRead(ReportId::FKeyGroupReport, 0, 0x60);
    EXPECT_EQ(back, BuildKeyGroupReport(fkeys, data));
}

TEST_F(KeyboardFixture, ModifyKeyLightAndProfileWritesAreKept) {
    ASSERT_TRUE(Write(BuildModifyKeyReport({4, 0x15})));
    ASSERT_TRUE(Write(BuildLightReport({4, 5, 2, 30})));
    ASSERT_TRUE(Write(BuildProfileReport(4)));
    EXPECT_EQ(SelectAndRead(ReportId::ModifyKeyReport, 4, 0x50)[3], 0x15);
    EXPECT_EQ(Profile(4).ModifyKey[0], 1);
    EXPECT_EQ(Profile(4).ModifyKey[1], 0);
    EXPECT_EQ(Profile(4).LtBrightness, 5);
    EXPECT_EQ(Profile(4).LtTimeout, 30);
    EXPECT_EQ(Read(ReportId::ProfileReport)[2], 4);
    EXPECT_EQ(Read(ReportId::LightReport), BuildLightReport({4, 5, 2, 30}))
        << "unselected reads follow the active profile";
}

TEST_F(KeyboardFixture, MacroWrittenReadsBackByKeySelect) {
    const Bytes written = BuildMacroReport({1, 5}, MacroEntry(5, 500));
    ASSERT_TRUE(Write(written));
    EXPECT_EQ(Status(), kStatusReady);
    EXPECT_EQ(Profile(1).Keys[5].FunctionCode, kFnMacro);
    EXPECT_EQ(Profile(1).Keys[5].EventCount, 500);
    EXPECT_EQ(SelectAndRead(ReportId::MacroReport, 1, 5), written);
    EXPECT_EQ(SelectAndRead(ReportId::MacroReport, 1, 6), BuildMacroReport({1, 6}, Profile(1).Keys[6]));
}

TEST_F(KeyboardFixture, SelectionLastsUntilTheNextSelectOfThatReport) {
    ASSERT_TRUE(Write(BuildLightReport({2, 1, 1, 1})));
    SelectAndRead(ReportId::LightReport, 2, 0x70);
    SelectAndRead(ReportId::ModifyKeyReport, 0, 0x50);
    EXPECT_EQ(Read(ReportId::LightReport)[2], 2);
    EXPECT_EQ(Read(ReportId::LightReport)[5], 1);
}

// ---- refusals and failed transfers ----

TEST_F(KeyboardFixture, WrongFramesAreRefusedWithStatusTwoAndChangeNothing) {
    Bytes badChecksum = BuildModifyKeyReport({0, 0x01});
    badChecksum[4] ^= 0xFF;
    Bytes shortReport = BuildModifyKeyReport({0, 0x01});
    shortReport.pop_back();
    Bytes wrongDeclared = BuildLightReport({0, 1, 1, 1});
    wrongDeclared[1] = 9;
    SealChecksum(wrongDeclared);
    Bytes macroForKey36 = BuildMacroReport({0, 36}, MacroEntry(36, 1));
    const std::vector<Bytes> refused = {badChecksum,
                                        shortReport,
                                        wrongDeclared,
                                        BuildModifyKeyReport({5, 0x01}),
                                        BuildProfileReport(7),
                                        BuildControlSelect(0, 0x51),
                                        BuildControlSelect(6, 0x50),
                                        macroForKey36,
                                        Bytes{0x11, 0x03, 0x05}};
    for (const Bytes& report : refused) {
        EXPECT_TRUE(Write(report)) << "the transfer itself succeeds";
        EXPECT_EQ(Status(), kStatusRefused) << "report " << static_cast<int>(report[0]);
        EXPECT_EQ(Status(), kStatusRefused) << "stays until the next good write";
    }
    EXPECT_FALSE(keyboard.TakeMemoryChanged());
    EXPECT_EQ(ModifyKeyMask(Profile(0)), 0x3F);
    ASSERT_TRUE(Write(BuildModifyKeyReport({0, 0x01})));
    EXPECT_EQ(Status(), kStatusReady);
}

TEST_F(KeyboardFixture, TransfersTheKeyboardDoesNotKnowFail) {
    EXPECT_FALSE(Write(Bytes{0x30, 0x03, 0x00}));
    EXPECT_FALSE(Write(Bytes{}));
    EXPECT_FALSE(Write(BuildFirmwareReport(1)));
    EXPECT_FALSE(keyboard.GetFeature(0x30, 64));
    EXPECT_FALSE(keyboard.GetFeature(0x11, 3));
    EXPECT_FALSE(keyboard.GetFeature(0x05, 0));
    EXPECT_EQ(Status(), kStatusReady) << "a failed transfer leaves the status alone";
}

TEST_F(KeyboardFixture, ShortBufferGetsTheReportCut) {
    const auto answer = keyboard.GetFeature(0x08, 10);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->size(), 10u);
    EXPECT_EQ((*answer)[3], 0x3A);
    EXPECT_EQ(keyboard.GetFeature(0x05, 64)->size(), 3u) << "a long buffer gets the report's own length";
}

// ---- busy / ready ----

TEST_F(KeyboardFixture, BusyLastsTheConfiguredPollsAfterEachWrite) {
    keyboard.SetBusyTiming({2, 0});
    EXPECT_EQ(Status(), kStatusReady) << "no write yet";
    ASSERT_TRUE(Write(BuildHostStateReport(1)));
    EXPECT_EQ(Status(), kStatusBusy);
    EXPECT_EQ(Status(), kStatusBusy);
    EXPECT_EQ(Status(), kStatusReady);
    EXPECT_EQ(Status(), kStatusReady);
}

TEST_F(KeyboardFixture, BusyLastsTheConfiguredTimeAfterEachWrite) {
    keyboard.SetBusyTiming({0, 500});
    ASSERT_TRUE(Write(BuildProfileReport(1)));
    EXPECT_EQ(Status(), kStatusBusy);
    clock.now += 499;
    EXPECT_EQ(Status(), kStatusBusy);
    clock.now += 1;
    EXPECT_EQ(Status(), kStatusReady);
}

// ---- reset, stamp, host state, relay ----

TEST_F(KeyboardFixture, ResetRestoresTheFactoryProfiles) {
    ASSERT_TRUE(Write(BuildMacroReport({2, 3}, MacroEntry(3, 20))));
    ASSERT_TRUE(Write(BuildLightReport({0, 0, 0, 1})));
    ASSERT_TRUE(Write(BuildProfileReport(2)));
    ASSERT_TRUE(Write(BuildSyncStampReport(MakeSyncStamp(1700000000))));
    keyboard.SetFirmware(120);
    keyboard.TakeMemoryChanged();
    ASSERT_TRUE(Write(BuildResetReport()));
    EXPECT_EQ(Status(), kStatusReady);
    EXPECT_TRUE(keyboard.TakeMemoryChanged());
    EXPECT_TRUE(SameProfiles(keyboard.Memory(), *FactoryMemory(120)));
    EXPECT_EQ(keyboard.Memory().CurrentProfile, 0);
    EXPECT_EQ(keyboard.Memory().Stamp, SyncStamp{});
    EXPECT_EQ(Read(ReportId::FirmwareReport)[2], 120) << "a reset keeps the firmware";
}

TEST_F(KeyboardFixture, StampHostStateAndRelayAreTaken) {
    const SyncStamp stamp = MakeSyncStamp(1700000000);
    ASSERT_TRUE(Write(BuildSyncStampReport(stamp)));
    EXPECT_EQ(ParseSyncStampReport(Read(ReportId::SyncStampReport)), stamp);
    ASSERT_TRUE(Write(BuildHostStateReport(1)));
    EXPECT_EQ(keyboard.HostState(), 1);
    const Bytes relay = BuildPactRelayReport({1, 255});
    ASSERT_TRUE(Write(relay));
    EXPECT_EQ(keyboard.LastRelayReport(), relay);
}

TEST_F(KeyboardFixture, OnlyWhatTheKeyboardKeepsMarksTheMemoryChanged) {
    Read(ReportId::ControlReport);
    Write(BuildHostStateReport(1));
    Write(BuildPactRelayReport({0, 0}));
    Write(BuildControlSelect(0, 0x50));
    EXPECT_FALSE(keyboard.TakeMemoryChanged());
    Write(BuildProfileReport(1));
    EXPECT_TRUE(keyboard.TakeMemoryChanged());
    EXPECT_FALSE(keyboard.TakeMemoryChanged());
}

// ---- faults ----

TEST_F(KeyboardFixture, BusyFaultAnswersBusyForItsPollsOrForever) {
    keyboard.Faults().BusyFor(2);
    EXPECT_EQ(Status(), kStatusBusy);
    EXPECT_EQ(Status(), kStatusBusy);
    EXPECT_EQ(Status(), kStatusReady);
    keyboard.Faults().BusyFor(EmuFaults::kForever);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Status(), kStatusBusy);
    keyboard.Faults().Clear();
    EXPECT_EQ(Status(), kStatusReady);
}

TEST_F(KeyboardFixture, ReadFailFaultFailsTheNextReads) {
    keyboard.Faults().FailReads(2);
    EXPECT_FALSE(keyboard.GetFeature(0x05, 3));
    EXPECT_FALSE(keyboard.GetFeature(0x04, 3));
    EXPECT_TRUE(keyboard.GetFeature(0x05, 3));
}

TEST_F(KeyboardFixture, ChecksumFaultSpoilsOnlyReportsWithAChecksum) {
    keyboard.Faults().CorruptChecksums(1);
    EXPECT_EQ(Status(), kStatusReady) << "the status has no checksum and uses up nothing";
    const Bytes spoiled = Read(ReportId::FKeyGroupReport);
    EXPECT_EQ(spoiled.size(), 41u);
    EXPECT_FALSE(ChecksumValid(spoiled));
    EXPECT_TRUE(ChecksumValid(Read(ReportId::FKeyGroupReport)));
}

TEST_F(KeyboardFixture, UnplugAfterFaultUnplugsOnceTheReportsAreHandled) {
    keyboard.UnplugAfter(2);
    EXPECT_TRUE(Write(BuildHostStateReport(1)));
    EXPECT_TRUE(keyboard.Plugged());
    EXPECT_TRUE(keyboard.GetFeature(0x04, 3)) << "the last report is still answered";
    EXPECT_FALSE(keyboard.Plugged());
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, Notification::Kind::Presence);
    EXPECT_FALSE(notes[0].plugged);
    EXPECT_FALSE(keyboard.GetFeature(0x04, 3));
    EXPECT_FALSE(Write(BuildHostStateReport(1)));
}

TEST_F(KeyboardFixture, UnplugLosesWhatOnlyPowerKeepsAndPlugAnnouncesItself) {
    ASSERT_TRUE(Write(BuildHostStateReport(1)));
    ASSERT_TRUE(Write(BuildModifyKeyReport({0, 0x07})));
    SelectAndRead(ReportId::LightReport, 3, 0x70);
    keyboard.Unplug();
    EXPECT_FALSE(keyboard.PressKey(1).ok);
    keyboard.Plug();
    keyboard.Plug();
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 2u) << "a second plug is no change";
    EXPECT_TRUE(notes[1].plugged);
    EXPECT_FALSE(keyboard.HostState());
    EXPECT_EQ(Read(ReportId::LightReport)[2], 0) << "the selection is gone";
    EXPECT_EQ(ModifyKeyMask(Profile(0)), 0x07) << "the profiles stay";
}

// ---- events raised by the user ----

TEST_F(KeyboardFixture, KeysRaiseWhatTheirFunctionAsksOfTheHost) {
    EXPECT_TRUE(keyboard.PressKey(1).ok);
    EXPECT_TRUE(Events().empty()) << "Shift+1 on M1 is done by the keyboard";
    keyboard.PressKey(32);  // T2: Open Driver
    keyboard.ReleaseKey(32);
    keyboard.PressKey(35);  // ET2: Open Player
    keyboard.ReleaseKey(35);
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_TRUE(IsEvent(notes[0], EVT_OPEN_SETUP, 1));
    EXPECT_TRUE(IsEvent(notes[1], EVT_MEDIA, 0x20));
    EXPECT_TRUE(IsEvent(notes[2], EVT_MEDIA, 0x0120));
}

TEST_F(KeyboardFixture, KeyEventsFollowTheActiveProfilesEntries) {
    const KeyGroup& macroKeys = *FindKeyGroup(ReportId::MacroKeyGroupReport);
    ASSERT_TRUE(Write(BuildKeyGroupReport(macroKeys, GroupWith(macroKeys, 1, kFnMacro))));
    keyboard.PressKey(3);
    EXPECT_TRUE(Events().empty()) << "profile 0 still holds the factory code";
    keyboard.ChangeProfile(2);
    Events();
    keyboard.PressKey(3);
    keyboard.ReleaseKey(3);
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_TRUE(IsEvent(notes[0], EVT_KEY_FUNCTION, 0x0003));
    EXPECT_TRUE(IsEvent(notes[1], EVT_KEY_FUNCTION, 0x0103));
}

TEST_F(KeyboardFixture, ProfileKeysSwitchOnTheKeyboard) {
    keyboard.PressKey(33);  // T3: Profile Up
    keyboard.ReleaseKey(33);
    keyboard.PressKey(31);  // T1: Profile Down
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_TRUE(IsEvent(notes[0], EVT_PROFILE, 2));
    EXPECT_TRUE(IsEvent(notes[1], EVT_PROFILE, 1));
    EXPECT_EQ(keyboard.Memory().CurrentProfile, 0);
}

TEST_F(KeyboardFixture, ProfileAndBrightnessChangesAreKeptAndRaised) {
    EXPECT_TRUE(keyboard.ChangeProfile(3).ok);
    EXPECT_TRUE(keyboard.ChangeBrightness(6).ok);
    EXPECT_FALSE(keyboard.ChangeProfile(6).ok);
    EXPECT_FALSE(keyboard.ChangeBrightness(0).ok);
    EXPECT_FALSE(keyboard.ChangeBrightness(7).ok);
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_TRUE(IsEvent(notes[0], EVT_PROFILE, 3));
    EXPECT_TRUE(IsEvent(notes[1], EVT_BRIGHTNESS, 6));
    EXPECT_EQ(Read(ReportId::ProfileReport)[2], 2);
    EXPECT_EQ(Profile(2).LtBrightness, 5);
    EXPECT_EQ(Profile(0).LtBrightness, 3);
    EXPECT_TRUE(keyboard.TakeMemoryChanged());
}

TEST_F(KeyboardFixture, RecordedMacroIsStoredThenAnnounced) {
    const std::vector<MacroEvent> events = {{0x04, 1, 50}, {0x04, 2, 0}};
    keyboard.ChangeProfile(2);
    Events();
    Write(BuildMacroReport({1, 4}, MacroEntry(4, 3)));
    MacroKeyInfo expected{};
    expected.KeyIndex = 4;
    expected.FunctionCode = kFnMacro;
    expected.Events[0] = events[0];
    expected.Events[1] = events[1];
    expected.EventCount = 2;
    ASSERT_TRUE(keyboard.RecordMacro(1, 0, {}).ok);
    ASSERT_TRUE(keyboard.RecordMacro(3, 5, events).ok);
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_TRUE(IsEvent(notes[0], EVT_MACRO_RECORD, 0x0100));
    EXPECT_TRUE(IsEvent(notes[1], EVT_MACRO_RECORD, 0x0305));
    EXPECT_EQ(SelectAndRead(ReportId::MacroReport, 1, 4), BuildMacroReport({1, 4}, expected));
    EXPECT_FALSE(keyboard.RecordMacro(3, 37, events).ok);
    EXPECT_FALSE(keyboard.RecordMacro(6, 1, {}).ok);
    EXPECT_FALSE(keyboard.RecordMacro(3, 1, std::vector<MacroEvent>(501)).ok);
}

TEST_F(KeyboardFixture, RawEventsNeedThePluggedKeyboard) {
    EXPECT_TRUE(keyboard.RaiseEvent(0x0E00, 0x0105).ok);
    keyboard.Unplug();
    EXPECT_FALSE(keyboard.RaiseEvent(0x0E00, 0x0105).ok);
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_TRUE(IsEvent(notes[0], 0x0E00, 0x0105));
}

TEST_F(KeyboardFixture, LogListsTheReportsInOrder) {
    Write(BuildModifyKeyReport({0, 0x3F}));
    Read(ReportId::ControlReport);
    Write(Bytes{0x07, 0x06});
    keyboard.GetFeature(0x30, 8);
    EXPECT_EQ(keyboard.Log().Format(),
              "set 07 6 accepted 0706003F4C00\n"
              "get 04 3 answered 040100\n"
              "set 07 2 refused 0706\n"
              "get 30 8 failed -\n");
}

}  // namespace
}  // namespace kelm::emu::test
