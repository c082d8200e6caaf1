// Writing what changed, reset, the single writes, a full round trip through
// the keyboard, and the lock between threads.
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <utility>

#include "ProtocolFixture.h"
#include "settings/Text.h"

namespace kelm {
namespace {

using Written = std::pair<std::uint8_t, std::uint8_t>;  // report id, byte 2 (profile or value)

std::vector<Written> WrittenReports(const FakeKeyboard& keyboard) {
    std::vector<Written> written;
    for (const FakeCall& call : keyboard.Calls()) {
        if (!call.set || call.bytes[0] == 0x04) continue;
        // The MacroReport has a 16-bit length, its profile is byte 3; the
        // stamp belongs to no profile.
        const std::uint8_t id = call.bytes[0];
        written.emplace_back(id, id == 0x0E ? call.bytes[3] : id == 0x14 ? 0 : call.bytes[2]);
    }
    return written;
}

ReportBytes LastWriteOf(const FakeKeyboard& keyboard, std::uint8_t id) {
    ReportBytes last;
    for (const FakeCall& call : keyboard.Calls())
        if (call.set && call.bytes[0] == id) last = call.bytes;
    return last;
}

void MakeMacro(MacroKeyInfo& entry, const std::string& name, int events) {
    entry.FunctionCode = kFnMacro;
    CopyField(entry.MacroName, name);
    entry.MacroOption = 1;
    entry.EventCount = static_cast<std::uint16_t>(events);
    for (int i = 0; i < events; ++i)
        entry.Events[i] = {static_cast<std::uint8_t>(0x1E + i % 10), static_cast<std::uint8_t>(1 + i % 2),
                           static_cast<std::uint16_t>(10 * i)};
}

class WriteTest : public ProtocolTest {
protected:
    // One change in every kind of report, in an order unlike the sending order.
    void FlagOneOfEverything() {
        record->CurrentProfile = 3;
        Flags().CurrentProfileChanged = 1;
        Flags().KeyChanged[1][56] = 1;  // CapsLk
        Flags().LightChanged[0] = 1;
        Flags().KeyChanged[4][31] = 1;  // T2
        Flags().KeyChanged[2][5] = 1;   // EM1
        Flags().KeyChanged[0][50] = 1;  // MM3
        Flags().KeyChanged[3][12] = 1;  // Hot Grid
        Flags().KeyChanged[1][40] = 1;  // F5
        Flags().ModifyKeyChanged[2] = 1;
        MakeMacro(Profile(0).Keys[3], "A name of thirty characters!!!", 4);
        Flags().KeyChanged[0][3] = 1;
        MakeMacro(Profile(2).Keys[7], "not flagged", 2);
        // Only exactly 1 counts.
        Flags().ModifyKeyChanged[0] = 2;
        Flags().KeyChanged[0][20] = 2;
        Flags().LightChanged[3] = -1;
        Flags().HDDKeyboardChanged[1] = 1;
        MakeMacro(Profile(4).Keys[8], "flag of two", 1);
        Flags().KeyChanged[4][8] = 2;
    }
};

TEST_F(WriteTest, FlaggedReportsGoOutInOrder) {
    FlagOneOfEverything();
    Profile(1).Keys[56].FunctionCode = kFnStandard;
    ASSERT_TRUE(protocol.WriteChangedSettings());
    const std::vector<Written> expected{{0x05, 3}, {0x07, 2}, {0x08, 1}, {0x09, 3}, {0x0A, 0}, {0x0B, 4},
                                        {0x0D, 0}, {0x0D, 2}, {0x10, 0}, {0x13, 1}, {0x0E, 0}, {0x14, 0}};
    EXPECT_EQ(WrittenReports(keyboard), expected);
    // First waits of the polls plus the pauses between reports.
    EXPECT_EQ(clock.SleptMs(), 300 + 4 * 700 + 3 * 400 + 2 * 200 + 500 + 200);
    EXPECT_EQ(keyboard.activeProfile, 3);
    EXPECT_EQ(*files.stamp, keyboard.stamp);
    EXPECT_EQ(Flags().KeyChanged[0][3], 1);  // the configuration program owns the flags
}

TEST_F(WriteTest, BytesOfTheWrites) {
    FlagOneOfEverything();
    Profile(1).Keys[56].FunctionCode = kFnStandard;
    Profile(4).Keys[31].FunctionCode = kFnShortcut;
    Profile(4).Keys[31].Events[0] = {0x2C, 0x01, 0};
    Profile(2).ModifyKey[3] = 0;
    ASSERT_TRUE(protocol.WriteChangedSettings());
    EXPECT_EQ(LastWriteOf(keyboard, 0x13), (ReportBytes{0x13, 0x06, 0x01, 0x39, 0x53, 0x00}));
    EXPECT_EQ(LastWriteOf(keyboard, 0x07), (ReportBytes{0x07, 0x06, 0x02, 0x37, 0x46, 0x00}));
    EXPECT_EQ(LastWriteOf(keyboard, 0x05), (ReportBytes{0x05, 0x03, 0x03}));
    EXPECT_EQ(keyboard.profiles[4].keys[31], (KeyWire{kFnShortcut, 0x01, 0x2C}));
    EXPECT_EQ(keyboard.profiles[0].light.timeout, 15);
    const MacroKeyInfo& macro = keyboard.profiles[0].macros[3];
    EXPECT_EQ(FieldText(macro.MacroName), "A name of thirty charact");
    EXPECT_EQ(macro.EventCount, 4);
    EXPECT_EQ(macro.Events[3].Delay, 30);
}

TEST_F(WriteTest, NothingFlaggedSendsOnlyTheStamp) {
    Flags().ModifyKeyChanged[1] = 2;
    Flags().CurrentProfileChanged = 0;
    ASSERT_TRUE(protocol.WriteChangedSettings());
    EXPECT_EQ(keyboard.WrittenIds(), std::vector<std::uint8_t>{0x14});
}

TEST_F(WriteTest, FailedMacroWriteStopsAndForgetsTheStamp) {
    keyboard.stamp = MakeSyncStamp(clock.Now());
    files.stamp = keyboard.stamp;
    MakeMacro(Profile(0).Keys[3], "first", 1);
    MakeMacro(Profile(0).Keys[4], "second", 1);
    MakeMacro(Profile(2).Keys[0], "third", 1);
    Flags().KeyChanged[0][3] = Flags().KeyChanged[0][4] = Flags().KeyChanged[2][0] = 1;
    keyboard.failWrites.insert(0x0E);
    EXPECT_FALSE(protocol.WriteChangedSettings());
    const std::vector<std::uint8_t> expected{0x0D, 0x0D, 0x0E};
    EXPECT_EQ(keyboard.WrittenIds(), expected);
    EXPECT_EQ(files.saves, 0);
    EXPECT_FALSE(protocol.CheckSyncStamp());
}

TEST_F(WriteTest, MacroNotReadyStopsTheProfiles) {
    MakeMacro(Profile(0).Keys[3], "first", 1);
    MakeMacro(Profile(1).Keys[3], "second", 1);
    Flags().KeyChanged[0][3] = Flags().KeyChanged[1][3] = 1;
    keyboard.finalStatus = 2;  // every write ends "not ready"
    EXPECT_FALSE(protocol.WriteChangedSettings());
    const std::vector<std::uint8_t> expected{0x0D, 0x0D, 0x0E};
    EXPECT_EQ(keyboard.WrittenIds(), expected);
}

TEST_F(WriteTest, UnplugMidWaySendsNoStamp) {
    FlagOneOfEverything();
    keyboard.stamp = MakeSyncStamp(1);
    files.stamp = keyboard.stamp;
    keyboard.unplugAfter = 6;
    EXPECT_FALSE(protocol.WriteChangedSettings());
    EXPECT_EQ(keyboard.stamp, MakeSyncStamp(1));
    EXPECT_NE(*files.stamp, keyboard.stamp);
}

TEST_F(WriteTest, BusyForeverGivesUpEachWrite) {
    Flags().LightChanged[2] = 1;
    keyboard.busyForever = true;
    EXPECT_FALSE(protocol.WriteChangedSettings());
    EXPECT_EQ(keyboard.StatusReads(), 10);
    EXPECT_EQ(keyboard.WrittenIds(), std::vector<std::uint8_t>{0x10});
}

TEST_F(WriteTest, AbortEndsWithinOneStep) {
    FlagOneOfEverything();
    keyboard.busyPolls = 2;
    for (std::int64_t at : {50, 350, 2000, 5555, 12000}) {
        abort = false;
        keyboard.ClearCalls();
        const std::int64_t start = clock.SleptMs();
        AbortAt(start + at);
        EXPECT_FALSE(protocol.WriteChangedSettings()) << at;
        EXPECT_LT(clock.SleptMs() - start, at + 100) << at;
        EXPECT_EQ(keyboard.stamp, SyncStamp{}) << at;
    }
}

TEST_F(WriteTest, ResetRenewsTheStampWhenReady) {
    ASSERT_TRUE(protocol.ResetKeyboard());
    EXPECT_EQ(keyboard.resets, 1);
    EXPECT_EQ(LastWriteOf(keyboard, 0x11), (ReportBytes{0x11, 0x03, 0x04}));
    EXPECT_EQ(keyboard.StatusReadTimes().front(), 500);
    EXPECT_EQ(*files.stamp, keyboard.stamp);
    EXPECT_NE(keyboard.stamp, SyncStamp{});
}

TEST_F(WriteTest, ResetNotReadySendsNoStamp) {
    keyboard.busyForever = true;
    EXPECT_FALSE(protocol.ResetKeyboard());
    EXPECT_EQ(keyboard.WrittenIds(), std::vector<std::uint8_t>{0x11});
    EXPECT_EQ(keyboard.stamp, SyncStamp{});
    EXPECT_FALSE(protocol.CheckSyncStamp());

    keyboard.failWrites.insert(0x11);
    keyboard.ClearCalls();
    EXPECT_FALSE(protocol.ResetKeyboard());
    EXPECT_EQ(keyboard.StatusReads(), 0);
}

TEST_F(WriteTest, SingleWrites) {
    record->CurrentProfile = 4;
    EXPECT_TRUE(protocol.SendCurrentProfile());
    EXPECT_TRUE(protocol.SendHostState(1));
    EXPECT_TRUE(protocol.SendPactRelay({0x01, 0x00}));
    EXPECT_EQ(keyboard.activeProfile, 4);
    EXPECT_EQ(keyboard.hostState, 1);
    EXPECT_EQ(LastWriteOf(keyboard, 0x16).size(), 16u);
    EXPECT_EQ(keyboard.relay->duoLayerState, 1);

    record->CurrentProfile = -1;
    keyboard.ClearCalls();
    EXPECT_FALSE(protocol.SendCurrentProfile());
    EXPECT_TRUE(keyboard.Calls().empty());
}

TEST_F(WriteTest, RoundTripReproducesFiveProfiles) {
    for (int p = 0; p < kProfileCount; ++p) {
        ProfileRecord& profile = Profile(p);
        profile.ModifyKey[p] = 0;
        profile.LtBrightness = p;
        profile.DimmerOption = 5 - p;
        profile.LtTimeout = 20 + p;
        for (int key = p; key < kMacroCapableKeys; key += 3)
            MakeMacro(profile.Keys[key], "P" + std::to_string(p) + " key " + std::to_string(key), key + p);
        profile.Keys[36 + p].FunctionCode = 0xBC;
        profile.Keys[56].FunctionCode = p % 2 == 0 ? kFnStandard : 0x00;
        profile.Keys[10 + p].FunctionCode = kFnShortcut;
        profile.Keys[10 + p].Events[0] = {static_cast<std::uint8_t>(0x04 + p), 0x02, 0};
        profile.Keys[10 + p].EventCount = 1;
    }
    MakeMacro(Profile(1).Keys[1], std::string(40, 'x'), kMaxEvents);
    record->CurrentProfile = 2;
    MarkAllChanged(*record);
    ASSERT_TRUE(protocol.WriteChangedSettings());

    auto fresh = DefaultRecord();
    MemoryFiles freshFiles;
    KeyboardProtocol reader(keyboard, clock, abort, *fresh, {freshFiles});
    EXPECT_FALSE(reader.CheckSyncStamp());
    ASSERT_TRUE(reader.ReadAllFromKeyboard());

    EXPECT_EQ(fresh->CurrentProfile, 2);
    for (int p = 0; p < kProfileCount; ++p) {
        const ProfileRecord& sent = Profile(p);
        const ProfileRecord& back = fresh->Profiles[p];
        EXPECT_EQ(std::memcmp(sent.ModifyKey, back.ModifyKey, sizeof sent.ModifyKey), 0) << p;
        EXPECT_EQ(back.LtBrightness, sent.LtBrightness);
        EXPECT_EQ(back.DimmerOption, sent.DimmerOption);
        EXPECT_EQ(back.LtTimeout, sent.LtTimeout);
        for (int key = 0; key <= kCapsLockKey; ++key) {
            const MacroKeyInfo& a = sent.Keys[key];
            const MacroKeyInfo& b = back.Keys[key];
            const bool standard = a.FunctionCode == kFnStandard || a.FunctionCode == StandardCodeTable[key];
            EXPECT_EQ(b.FunctionCode, standard ? kFnStandard : a.FunctionCode) << p << "/" << key;
            if (a.FunctionCode == kFnShortcut) {
                EXPECT_EQ(b.Events[0].KeyCode, a.Events[0].KeyCode);
                EXPECT_EQ(b.Events[0].Action, a.Events[0].Action);
            }
            if (a.FunctionCode != kFnMacro) continue;
            EXPECT_EQ(FieldText(b.MacroName), FieldText(a.MacroName).substr(0, 24)) << p << "/" << key;
            EXPECT_EQ(b.MacroOption, a.MacroOption);
            ASSERT_EQ(b.EventCount, a.EventCount) << p << "/" << key;
            EXPECT_EQ(std::memcmp(a.Events, b.Events, sizeof a.Events), 0) << p << "/" << key;
        }
    }
    EXPECT_EQ(freshFiles.saves, 1);
}

TEST_F(WriteTest, SequencesOfTwoThreadsDoNotInterleave) {
    MakeMacro(Profile(0).Keys[3], "macro", 3);
    keyboard.profiles[0].keys[3].code = kFnMacro;
    // Half-way through the read-back another thread tries a single write and
    // is given time to run; it must wait for the read-back to end.
    std::future<bool> other;
    keyboard.onCall = [&](std::size_t calls) {
        if (calls != 60) return;
        other = std::async(std::launch::async, [this] { return protocol.SendHostState(1); });
        other.wait_for(std::chrono::milliseconds(50));
    };
    EXPECT_TRUE(protocol.ReadAllFromKeyboard());
    ASSERT_TRUE(other.valid());
    EXPECT_TRUE(other.get());

    const auto calls = keyboard.Calls();
    const std::thread::id reader = std::this_thread::get_id();
    std::size_t firstOther = calls.size();
    for (std::size_t i = 0; i < calls.size() && firstOther == calls.size(); ++i)
        if (calls[i].thread != reader) firstOther = i;
    for (std::size_t i = firstOther; i < calls.size(); ++i) EXPECT_NE(calls[i].thread, reader) << i;
    EXPECT_EQ(calls.size() - firstOther, 2u);  // the write and its status read
}

}  // namespace
}  // namespace kelm
