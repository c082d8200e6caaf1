// Reading the keyboard back, the synchronisation stamp and the read-back of
// a macro recorded on the keyboard.
#include <cstring>
#include <string>

#include "ProtocolFixture.h"
#include "settings/Text.h"

namespace kelm {
namespace {

constexpr std::uint8_t kFirmware = 0x0F, kProfile = 0x05, kModify = 0x07, kFKeys = 0x08, kHotGrid = 0x09, kMedia = 0x0A,
                       kThumb = 0x0B, kMacroKeys = 0x0D, kMacro = 0x0E, kLight = 0x10, kCaps = 0x13, kStamp = 0x14;

MacroKeyInfo KeyboardMacro(const std::string& name, int events) {
    MacroKeyInfo macro{};
    CopyField(macro.MacroName, name);
    CopyField(macro.MacroSetName, "Games");
    macro.MacroOption = 2;
    macro.EventCount = static_cast<std::uint16_t>(events);
    for (int i = 0; i < events; ++i)
        macro.Events[i] = {static_cast<std::uint8_t>(0x04 + i % 26), static_cast<std::uint8_t>(1 + i % 2),
                           static_cast<std::uint16_t>(i)};
    return macro;
}

class ReadBackTest : public ProtocolTest {
protected:
    // A keyboard whose profiles differ from the factory state in every report.
    void PrepareKeyboard() {
        for (int p = 0; p < kProfileCount; ++p) {
            FakeProfile& fake = keyboard.profiles[static_cast<std::size_t>(p)];
            fake.modifyMask = static_cast<std::uint8_t>(0x3F & ~(1 << p));
            fake.light = {0, static_cast<std::uint8_t>(p), 2, static_cast<std::uint8_t>(10 + p)};
        }
        keyboard.profiles[0].keys[40].code = 0xBC;           // F5: timer
        keyboard.profiles[1].keys[56].code = 0x00;           // CapsLk disabled
        keyboard.profiles[2].keys[31] = {0xB8, 0x02, 0x1D};  // T2: Shift+Z
        keyboard.profiles[0].keys[3].code = kFnMacro;
        keyboard.profiles[0].macros[3] = KeyboardMacro("Hello", 3);
        keyboard.profiles[2].keys[10].code = kFnMacro;
        keyboard.profiles[2].macros[10] = KeyboardMacro("padded name   ", 2);
        keyboard.profiles[4].keys[33].code = kFnMacro;
        keyboard.profiles[4].macros[33] = KeyboardMacro("long", kMaxEvents);
        keyboard.activeProfile = 3;
    }

    std::vector<std::uint8_t> SettingsReadOrder() {
        std::vector<std::uint8_t> ids{kFirmware, kProfile};
        for (std::uint8_t id : {kModify, kFKeys, kHotGrid, kMedia, kThumb, kMacroKeys, kLight, kCaps})
            ids.insert(ids.end(), kProfileCount, id);
        return ids;
    }

    void ExpectNothingSaved() {
        EXPECT_EQ(files.saves, 0);
        EXPECT_EQ(publisher.count, 0);
        EXPECT_EQ(setup.count, 0);
        EXPECT_EQ(keyboard.stamp, SyncStamp{});
    }
};

TEST_F(ReadBackTest, FullReadTakesOverEveryReport) {
    PrepareKeyboard();
    Flags().KeyChanged[2][7] = 1;
    Profile(2).Keys[31].Events[0].Delay = 500;
    EXPECT_FALSE(protocol.CheckSyncStamp());
    keyboard.ClearCalls();
    ASSERT_TRUE(protocol.ReadAllFromKeyboard());

    std::vector<std::uint8_t> expected = SettingsReadOrder();
    expected.insert(expected.end(), {kMacro, kMacro, kMacro});
    EXPECT_EQ(keyboard.ReadIds(), expected);

    EXPECT_EQ(record->CurrentProfile, 3);
    EXPECT_EQ(files.firmware, 115);
    for (int p = 0; p < kProfileCount; ++p) {
        for (int i = 0; i < 6; ++i) EXPECT_EQ(Profile(p).ModifyKey[i], i == p ? 0 : 1);
        EXPECT_EQ(Profile(p).LtBrightness, p);
        EXPECT_EQ(Profile(p).DimmerOption, 2);
        EXPECT_EQ(Profile(p).LtTimeout, 10 + p);
        // Every key on its standard code reads back as "standard".
        EXPECT_EQ(Profile(p).Keys[0].FunctionCode, kFnStandard);
        EXPECT_EQ(Profile(p).Keys[48].FunctionCode, kFnStandard);
        EXPECT_EQ(Profile(p).Keys[57].FunctionCode, 0xDF);  // never sent, never read
    }
    EXPECT_EQ(Profile(0).Keys[56].FunctionCode, kFnStandard);  // 0x39 on CapsLk
    EXPECT_EQ(Profile(1).Keys[56].FunctionCode, 0x00);
    EXPECT_EQ(Profile(0).Keys[40].FunctionCode, 0xBC);
    const MacroKeyInfo& shortcut = Profile(2).Keys[31];
    EXPECT_EQ(shortcut.FunctionCode, kFnShortcut);
    EXPECT_EQ(shortcut.Events[0].KeyCode, 0x1D);
    EXPECT_EQ(shortcut.Events[0].Action, 0x02);
    EXPECT_EQ(shortcut.Events[0].Delay, 500);

    const MacroKeyInfo& hello = Profile(0).Keys[3];
    EXPECT_EQ(hello.FunctionCode, kFnMacro);
    EXPECT_EQ(FieldText(hello.MacroName), "Hello");
    EXPECT_EQ(FieldText(hello.MacroSetName), "Games");
    EXPECT_EQ(hello.MacroOption, 2);
    EXPECT_EQ(hello.EventCount, 3);
    EXPECT_EQ(hello.Events[2].KeyCode, 0x06);
    EXPECT_EQ(FieldText(Profile(2).Keys[10].MacroName), "padded name");
    EXPECT_EQ(Profile(4).Keys[33].EventCount, kMaxEvents);
    EXPECT_EQ(Profile(4).Keys[33].Events[499].Delay, 499);

    EXPECT_EQ(Flags().KeyChanged[2][7], 0);
    // New stamp in keyboard and files, then files, block and configuration program.
    EXPECT_EQ(keyboard.WrittenIds(), std::vector<std::uint8_t>{kStamp});
    ASSERT_TRUE(files.stamp.has_value());
    EXPECT_EQ(*files.stamp, keyboard.stamp);
    ASSERT_EQ(files.saves, 1);
    EXPECT_EQ(std::memcmp(files.saved.get(), record.get(), sizeof(SettingsRecord)), 0);
    EXPECT_EQ(publisher.count, 1);
    EXPECT_EQ(publisher.lastCurrentProfile, 3);
    EXPECT_EQ(setup.count, 1);
}

TEST_F(ReadBackTest, EqualStampReadsOnlyFirmwareAndProfile) {
    PrepareKeyboard();
    keyboard.stamp = MakeSyncStamp(1'650'000'000);
    files.stamp = keyboard.stamp;
    ASSERT_TRUE(protocol.CheckSyncStamp());
    keyboard.ClearCalls();
    const int stampStores = files.stampStores;

    EXPECT_TRUE(protocol.ReadAllFromKeyboard());
    EXPECT_EQ(keyboard.ReadIds(), (std::vector<std::uint8_t>{kFirmware, kProfile}));
    EXPECT_TRUE(keyboard.WrittenIds().empty());
    EXPECT_EQ(files.stampStores, stampStores);
    EXPECT_EQ(record->CurrentProfile, 3);
    EXPECT_EQ(Profile(0).Keys[3].FunctionCode, 0xD6);  // nothing else was read
    EXPECT_EQ(files.saves, 1);
    EXPECT_EQ(publisher.count, 1);
    EXPECT_EQ(setup.count, 1);
}

TEST_F(ReadBackTest, ProfileAboveFourLeavesCurrentProfile) {
    keyboard.stamp = MakeSyncStamp(1);
    files.stamp = keyboard.stamp;
    protocol.CheckSyncStamp();
    record->CurrentProfile = 1;
    keyboard.profileAnswer = 7;
    EXPECT_TRUE(protocol.ReadAllFromKeyboard());
    EXPECT_EQ(record->CurrentProfile, 1);
    EXPECT_EQ(files.saves, 1);
}

TEST_F(ReadBackTest, FailedProfileReadFailsTheShortRead) {
    keyboard.stamp = MakeSyncStamp(1);
    files.stamp = keyboard.stamp;
    protocol.CheckSyncStamp();
    keyboard.failReads[kProfile] = 1;
    keyboard.failReads[kFirmware] = 1;
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    EXPECT_EQ(files.firmware, 0);
    EXPECT_EQ(files.saves, 0);
    EXPECT_EQ(publisher.count, 0);
}

TEST_F(ReadBackTest, StampComparison) {
    keyboard.stamp = MakeSyncStamp(1'700'000'123);
    EXPECT_FALSE(protocol.CheckSyncStamp());  // nothing stored
    files.stamp = MakeSyncStamp(1'700'000'124);
    EXPECT_FALSE(protocol.CheckSyncStamp());
    files.stamp = keyboard.stamp;
    EXPECT_TRUE(protocol.CheckSyncStamp());
    EXPECT_TRUE(protocol.StampMatches());
    keyboard.badChecksum.insert(kStamp);
    EXPECT_FALSE(protocol.CheckSyncStamp());
    keyboard.badChecksum.clear();
    keyboard.failReads[kStamp] = 1;
    EXPECT_FALSE(protocol.CheckSyncStamp());
    EXPECT_TRUE(protocol.CheckSyncStamp());
}

TEST_F(ReadBackTest, UnplugDuringSettingsFailsAndNeverTrustsTheStamp) {
    PrepareKeyboard();
    keyboard.unplugAfter = 30;
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    EXPECT_EQ(keyboard.stamp, SyncStamp{});
    ASSERT_TRUE(files.stamp.has_value());
    EXPECT_NE(*files.stamp, keyboard.stamp);
    // The monitor's removal handling raises the abort flag; then nothing is saved.
    PrepareKeyboard();
    files = MemoryFiles{};
    publisher.count = 0;
    setup.count = 0;
    keyboard.unplugAfter = 30;
    AbortAt(clock.SleptMs() + 2000);
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    ExpectNothingSaved();
}

TEST_F(ReadBackTest, UnplugDuringMacrosFailsAndSavesNothing) {
    PrepareKeyboard();
    // Firmware, profile and 40 select-poll-read triples work, then one macro.
    keyboard.unplugAfter = 2 + 40 * 3 + 3;
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    EXPECT_EQ(FieldText(Profile(0).Keys[3].MacroName), "Hello");  // what was read stays in the record
    ExpectNothingSaved();
}

TEST_F(ReadBackTest, WrongChecksumsStoreNothingFromThoseReports) {
    PrepareKeyboard();
    keyboard.badChecksum = {kLight, kModify};
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    for (int p = 0; p < kProfileCount; ++p) {
        EXPECT_EQ(Profile(p).LtBrightness, 3);
        EXPECT_EQ(Profile(p).LtTimeout, 15);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(Profile(p).ModifyKey[i], 1);
    }
    EXPECT_EQ(Profile(0).Keys[40].FunctionCode, 0xBC);  // the other reports went on
    // What was read is taken over, but the keyboard gets no new stamp and the
    // stored one no longer matches, so the next connect reads everything again.
    EXPECT_EQ(files.saves, 1);
    EXPECT_EQ(publisher.count, 1);
    EXPECT_EQ(setup.count, 1);
    EXPECT_EQ(keyboard.stamp, SyncStamp{});
    ASSERT_TRUE(files.stamp.has_value());
    EXPECT_NE(*files.stamp, keyboard.stamp);
}

TEST_F(ReadBackTest, MacroReadIsTriedThreeTimes) {
    PrepareKeyboard();
    keyboard.failReads[kMacro] = 2;
    EXPECT_TRUE(protocol.ReadAllFromKeyboard());
    EXPECT_EQ(FieldText(Profile(0).Keys[3].MacroName), "Hello");

    keyboard.failReads[kMacro] = 3;
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
}

TEST_F(ReadBackTest, MacroAnswerForAnotherKeyIsRefused) {
    PrepareKeyboard();
    keyboard.macroKeyAnswer = 7;
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    EXPECT_NE(Profile(0).Keys[3].KeyIndex, 7);
    EXPECT_EQ(files.saves, 0);
}

TEST_F(ReadBackTest, AbortEndsWithinOneStepAndSavesNothing) {
    PrepareKeyboard();
    keyboard.busyPolls = 1;  // longer waits, so aborts land inside polls too
    for (std::int64_t at : {50, 150, 250, 1234, 3000, 9050, 20000, 40000}) {
        abort = false;
        const std::int64_t start = clock.SleptMs();
        AbortAt(start + at);
        EXPECT_FALSE(protocol.ReadAllFromKeyboard()) << at;
        EXPECT_LT(clock.SleptMs() - start, at + 100) << at;
    }
    ExpectNothingSaved();
}

TEST_F(ReadBackTest, SaveFailureForgetsTheStamp) {
    PrepareKeyboard();
    files.failSave = true;
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    ASSERT_TRUE(files.stamp.has_value());
    EXPECT_NE(*files.stamp, keyboard.stamp);
    EXPECT_EQ(publisher.count, 1);  // the block still gets what the keyboard holds
}

// ---- macro recorded on the keyboard ----

TEST_F(ReadBackTest, StagesWithoutReadBack) {
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0104), MacroRecordFeedback::MacroSelect);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0204), MacroRecordFeedback::MacroEnter);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0404), MacroRecordFeedback::MacroAborted);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0504), MacroRecordFeedback::KeyNotAvailable);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0004), MacroRecordFeedback::None);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0604), MacroRecordFeedback::None);
    EXPECT_TRUE(keyboard.Calls().empty());
}

TEST_F(ReadBackTest, RecordedMacroIsReadBack) {
    record->CurrentProfile = 2;
    keyboard.profiles[2].macros[4] = KeyboardMacro("Recorded", 6);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0305), MacroRecordFeedback::MacroRecorded);
    const MacroKeyInfo& entry = Profile(2).Keys[4];
    EXPECT_EQ(entry.FunctionCode, kFnMacro);
    EXPECT_EQ(FieldText(entry.MacroName), "Recorded");
    EXPECT_EQ(entry.EventCount, 6);
    EXPECT_EQ(keyboard.Calls().front().atMs, 100);  // a pause before the first attempt
    EXPECT_EQ(publisher.count, 1);
    EXPECT_EQ(setup.count, 1);
    EXPECT_EQ(keyboard.WrittenIds(), std::vector<std::uint8_t>{kStamp});
    EXPECT_EQ(*files.stamp, keyboard.stamp);
    EXPECT_EQ(files.saves, 1);
}

TEST_F(ReadBackTest, RecordedMacroThatCannotBeReadForgetsTheStamp) {
    record->CurrentProfile = 0;
    keyboard.stamp = MakeSyncStamp(clock.Now());
    files.stamp = keyboard.stamp;
    keyboard.failReads[kMacro] = 3;
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0301), MacroRecordFeedback::None);
    EXPECT_EQ(keyboard.ReadIds().size(), 3u);
    EXPECT_EQ(files.saves, 0);
    EXPECT_EQ(publisher.count, 0);
    EXPECT_FALSE(protocol.CheckSyncStamp());  // the keyboard holds a macro the files lack
}

TEST_F(ReadBackTest, RecordedMacroOnlyForMacroKeysOfAValidProfile) {
    record->CurrentProfile = 0;
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0300), MacroRecordFeedback::None);  // key number 0
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0325), MacroRecordFeedback::None);  // entry 36, F1
    record->CurrentProfile = -1;
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0301), MacroRecordFeedback::None);
    EXPECT_TRUE(keyboard.Calls().empty());
    record->CurrentProfile = 1;
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0324), MacroRecordFeedback::MacroRecorded);  // entry 35
}

}  // namespace
}  // namespace kelm
