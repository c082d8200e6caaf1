// The monitor's keyboard sequences against the real KelmEmu through the real
// libdevbridge.so. The sequences run on a virtual clock: against a keyboard
// that answers at once the prescribed waits only cost time, and summing them
// instead shows exactly what was waited. The real clock is used where the
// keyboard itself takes time.
#include <chrono>
#include <cstdio>

#include "settings/json/ProfileJson.h"
#include "tests/keyboard/EmuKeyboardSession.h"

namespace kelm::keyboard_test {
namespace {

using namespace std::chrono_literals;

// Time a failing sequence may take for its device calls: each must fail at
// once, none may sit out the library's time-out.
constexpr auto kNoHang = 5s;
const std::string kNoStamp(32, '0');

// A log line as KelmEmu writes it for an accepted write of report.
std::string Accepted(const ReportBytes& report) {
    char head[32];
    std::snprintf(head, sizeof head, "set %02X %zu accepted ", report[0], report.size());
    std::string line = head;
    for (std::size_t i = 0; i < report.size() && i < 8; ++i) {
        std::snprintf(head, sizeof head, "%02X", report[i]);
        line += head;
    }
    return line;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

class ProtocolOnEmu : public EmuKeyboardSession {
protected:
    void AbortAt(std::int64_t atMs) {
        clock.SetSleepHook([this, atMs](std::int64_t total) {
            if (total >= atMs) abort = true;
        });
    }
    json::Json RecordProfile(int slot) const { return json::ProfileToJson(record->Profiles[slot]); }
    static json::Json FactoryProfile(int slot) {
        const auto profile = std::make_unique<ProfileRecord>();
        DefaultProfile(*profile, slot);
        return json::ProfileToJson(*profile);
    }
    // The same keyboard read with an equal stamp: firmware and profile only.
    void ShareStamp() {
        const SyncStamp stamp = MakeSyncStamp(1'700'000'123);
        ASSERT_TRUE(Set(BuildSyncStampReport(stamp)));
        files.StoreSyncStamp(stamp);
    }
};

TEST_F(ProtocolOnEmu, FullReadBackReproducesTheFiveProfiles) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    ASSERT_FALSE(protocol.CheckSyncStamp());
    ASSERT_TRUE(protocol.ReadAllFromKeyboard());

    const json::Json keyboard = Dump();
    EXPECT_EQ(record->CurrentProfile, 3);
    EXPECT_EQ(keyboard["CurrentProfile"], 3);
    EXPECT_EQ(files.FirmwareVersion(), keyboard["FWVersion"].get<int>());
    for (int slot = 0; slot < kProfileCount; ++slot) EXPECT_EQ(RecordProfile(slot), keyboard["Profiles"][slot]) << slot;
    // The same, spelt out where the wire changes what it carries.
    const ProfileRecord& last = record->Profiles[4];
    EXPECT_EQ(FieldText(last.Keys[30].MacroName), "a macro name thirty byte");
    EXPECT_EQ(last.Keys[30].EventCount, kMaxEvents);
    EXPECT_EQ(last.Keys[30].Events[kMaxEvents - 1].Delay, 4990);
    EXPECT_EQ(FieldText(record->Profiles[0].Keys[10].MacroName), "padded") << "trailing blanks are dropped";
    EXPECT_EQ(record->Profiles[2].Keys[31].FunctionCode, 0xB8);
    EXPECT_EQ(record->Profiles[2].Keys[31].Events[0].KeyCode, 0x1D);
    EXPECT_EQ(record->Profiles[1].Keys[kCapsLockKey].FunctionCode, 0x00);
    EXPECT_EQ(record->Profiles[0].Keys[kCapsLockKey].FunctionCode, 0xEF) << "0x39 reads back as standard";
    EXPECT_EQ(record->Profiles[3].ModifyKey[0], 1);
    EXPECT_EQ(record->Profiles[3].ModifyKey[1], 0);

    EXPECT_EQ(Log("get 0E").size(), static_cast<std::size_t>(kPreparedMacros)) << "each macro read once";
    ASSERT_TRUE(files.Stamp().has_value());
    EXPECT_EQ(keyboard["SyncStamp"], StampHex(*files.Stamp())) << "keyboard and files share the new stamp";
    EXPECT_EQ(clock.SleptMs(), PrescribedReadBackMs(kPreparedMacros, true)) << "no poll beyond the first";
}

TEST_F(ProtocolOnEmu, WriteSendsExactlyTheFlaggedReports) {
    ProfileRecord* p = record->Profiles;
    ChangeFlags& flags = record->Flags;
    record->CurrentProfile = 2;
    flags.CurrentProfileChanged = 1;
    p[0].ModifyKey[0] = 0;
    flags.ModifyKeyChanged[0] = 2;  // only a flag of exactly 1 counts
    p[1].Keys[40].FunctionCode = 0xBC;
    flags.KeyChanged[1][40] = 1;
    p[4].Keys[20].FunctionCode = 0x00;
    flags.KeyChanged[4][20] = 2;
    SetMacro(p[0].Keys[4], "Written", 5);
    flags.KeyChanged[0][4] = 1;
    p[2].LtBrightness = 5;
    flags.LightChanged[2] = 1;
    p[3].Keys[kCapsLockKey].FunctionCode = 0x00;
    flags.KeyChanged[3][kCapsLockKey] = 1;

    ASSERT_TRUE(protocol.WriteChangedSettings());
    const std::vector<std::string> sets = Log("set");
    ASSERT_EQ(sets.size(), 7u);
    EXPECT_EQ(sets[0], Accepted(BuildProfileReport(2)));
    EXPECT_EQ(sets[1], Accepted(BuildSettingsReport(ReportId::FKeyGroupReport, 1, p[1])));
    EXPECT_EQ(sets[2], Accepted(BuildSettingsReport(ReportId::MacroKeyGroupReport, 0, p[0])));
    EXPECT_EQ(sets[3], Accepted(BuildSettingsReport(ReportId::LightReport, 2, p[2])));
    EXPECT_EQ(sets[4], Accepted(BuildSettingsReport(ReportId::CapsLockReport, 3, p[3])));
    EXPECT_EQ(sets[5], Accepted(BuildMacroReport({0, 4}, p[0].Keys[4])));
    EXPECT_TRUE(StartsWith(sets[6], "set 14 20 accepted 1414")) << sets[6];
    // Each write's first wait and the pause after it; the macro's pause is
    // under one step and waits nothing.
    EXPECT_EQ(clock.SleptMs(), (100 + 200) + (500 + 200) + (200 + 200) + (100 + 100) + (100 + 100) + 500 + 200);

    const json::Json keyboard = Dump();
    EXPECT_EQ(keyboard["CurrentProfile"], 2);
    EXPECT_EQ(keyboard["Profiles"][0]["ModifyKey"][0], 1) << "flag 2 sent nothing";
    EXPECT_EQ(keyboard["Profiles"][4]["Keys"][20], FactoryProfile(4)["Keys"][20]) << "flag 2 sent nothing";
    EXPECT_EQ(keyboard["Profiles"][0]["Keys"][4], RecordProfile(0)["Keys"][4]);
    EXPECT_EQ(keyboard["Profiles"][2]["LtBrightness"], 5);
    ASSERT_TRUE(files.Stamp().has_value());
    EXPECT_EQ(keyboard["SyncStamp"], StampHex(*files.Stamp()));
}

TEST_F(ProtocolOnEmu, ResetBringsBackTheFactoryProfilesUnderANewStamp) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    ASSERT_TRUE(protocol.ResetKeyboard());
    const std::vector<std::string> sets = Log("set");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0], "set 11 3 accepted 110304");
    EXPECT_TRUE(StartsWith(sets[1], "set 14 20 accepted")) << sets[1];
    const json::Json keyboard = Dump();
    EXPECT_EQ(keyboard["CurrentProfile"], 0);
    for (int slot = 0; slot < kProfileCount; ++slot) EXPECT_EQ(keyboard["Profiles"][slot], FactoryProfile(slot));
    ASSERT_TRUE(files.Stamp().has_value());
    EXPECT_EQ(keyboard["SyncStamp"], StampHex(*files.Stamp()));
}

TEST_F(ProtocolOnEmu, EqualStampReadsOnlyFirmwareAndProfile) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    ASSERT_NO_FATAL_FAILURE(ShareStamp());
    ASSERT_EQ(Ctl({"reset-log"}).rc, 0);
    const SyncStamp stamp = *files.Stamp();

    ASSERT_TRUE(protocol.CheckSyncStamp());
    ASSERT_TRUE(protocol.ReadAllFromKeyboard());
    const std::vector<std::string> calls = Log("");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(StartsWith(calls[0], "get 14 20 answered"));
    EXPECT_TRUE(StartsWith(calls[1], "get 0F 6 answered"));
    EXPECT_TRUE(StartsWith(calls[2], "get 05 3 answered"));
    EXPECT_EQ(record->CurrentProfile, 3);
    for (int slot = 0; slot < kProfileCount; ++slot) EXPECT_EQ(RecordProfile(slot), FactoryProfile(slot));
    EXPECT_EQ(files.Stamp(), stamp) << "no new stamp";
    EXPECT_EQ(clock.SleptMs(), 200);
}

TEST_F(ProtocolOnEmu, StampThatDiffersOrCannotBeReadMeansAFullRead) {
    ASSERT_NO_FATAL_FAILURE(ShareStamp());
    EXPECT_TRUE(protocol.CheckSyncStamp());
    ASSERT_EQ(Ctl({"fault", "checksum", "1"}).rc, 0);
    EXPECT_FALSE(protocol.CheckSyncStamp());
    ASSERT_EQ(Ctl({"fault", "readfail", "1"}).rc, 0);
    EXPECT_FALSE(protocol.CheckSyncStamp());
    EXPECT_TRUE(protocol.CheckSyncStamp());
    files.StoreSyncStamp(MakeSyncStamp(1'700'000'124));
    EXPECT_FALSE(protocol.CheckSyncStamp());
}

TEST_F(ProtocolOnEmu, BusyForeverGivesUpEachWaitAfterTenPolls) {
    ASSERT_EQ(Ctl({"fault", "busy", "forever"}).rc, 0);
    record->CurrentProfile = 2;
    EXPECT_FALSE(protocol.SendCurrentProfile());
    const std::int64_t tenPolls = 1000 + 1500 + 7 * 2000;
    EXPECT_EQ(clock.SleptMs(), 100 + tenPolls);
    EXPECT_EQ(Log("get 04").size(), 10u);

    EXPECT_FALSE(protocol.ResetKeyboard()) << "a reset never reported done";
    EXPECT_EQ(clock.SleptMs(), 100 + tenPolls + 500 + tenPolls);
    EXPECT_EQ(Log("get 04").size(), 20u);
    EXPECT_TRUE(Log("set 14").empty()) << "no stamp for a reset that never finished";
}

TEST_F(ProtocolOnEmu, AbortDuringTheWaitsEndsWithinOneStep) {
    ASSERT_EQ(Ctl({"fault", "busy", "forever"}).rc, 0);
    record->CurrentProfile = 1;
    for (const std::int64_t at : {50, 1234, 9050}) {
        abort = false;
        const std::int64_t start = clock.SleptMs();
        AbortAt(start + at);
        EXPECT_FALSE(protocol.SendCurrentProfile()) << at;
        EXPECT_LT(clock.SleptMs() - start, at + 100) << at;
    }

    ASSERT_EQ(Ctl({"fault", "clear"}).rc, 0);
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    abort = false;
    const std::int64_t start = clock.SleptMs();
    AbortAt(start + 3050);
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    EXPECT_LT(clock.SleptMs() - start, 3050 + 100);
    EXPECT_TRUE(Log("set 14").empty());
    EXPECT_FALSE(files.Stamp().has_value()) << "nothing saved";
}

TEST_F(ProtocolOnEmu, UnplugDuringTheReadBackFailsWithoutHanging) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    // Firmware, profile, twelve select-poll-read triples and a select with
    // its poll: the macro keys of two HotGridGroupReports are known by then,
    // and their macros can no longer be read.
    ASSERT_EQ(Ctl({"fault", "unplug-after", "40"}).rc, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    EXPECT_LT(std::chrono::steady_clock::now() - start, kNoHang);
    EXPECT_LT(clock.SleptMs(), PrescribedReadBackMs(0, false)) << "no poll waits for a keyboard that is gone";
    EXPECT_EQ(Log("").size(), 40u) << "nothing reaches a keyboard that is gone";
    const json::Json keyboard = Dump();
    EXPECT_EQ(keyboard["Plugged"], false);
    EXPECT_EQ(keyboard["SyncStamp"], kNoStamp);
    EXPECT_FALSE(files.Stamp().has_value()) << "nothing saved";
}

TEST_F(ProtocolOnEmu, UnplugDuringAMacroWriteFailsWithoutHanging) {
    for (int key = 0; key < 3; ++key) {
        SetMacro(record->Profiles[0].Keys[key], "Macro " + std::to_string(key), 50);
        record->Flags.KeyChanged[0][key] = 1;
    }
    // The MacroKeyGroupReport with its poll, the first macro, then the keyboard is gone.
    ASSERT_EQ(Ctl({"fault", "unplug-after", "3"}).rc, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(protocol.WriteChangedSettings());
    EXPECT_LT(std::chrono::steady_clock::now() - start, kNoHang);
    const std::vector<std::string> sets = Log("set");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_TRUE(StartsWith(sets[0], "set 0D 35 accepted"));
    EXPECT_EQ(sets[1], Accepted(BuildMacroReport({0, 0}, record->Profiles[0].Keys[0])));
    const json::Json keyboard = Dump();
    EXPECT_EQ(keyboard["Profiles"][0]["Keys"][0], RecordProfile(0)["Keys"][0]);
    EXPECT_NE(keyboard["Profiles"][0]["Keys"][1]["MacroName"], "Macro 1");
    EXPECT_EQ(keyboard["SyncStamp"], kNoStamp);
    ASSERT_TRUE(files.Stamp().has_value());
    EXPECT_NE(StampHex(*files.Stamp()), kNoStamp);
}

TEST_F(ProtocolOnEmu, DamagedReportsStoreNothing) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    // The first read with a checksum: the ModifyKeyReport of slot 0.
    ASSERT_EQ(Ctl({"fault", "checksum", "1"}).rc, 0);
    EXPECT_FALSE(protocol.ReadAllFromKeyboard());
    const json::Json keyboard = Dump();
    EXPECT_EQ(RecordProfile(0)["ModifyKey"], FactoryProfile(0)["ModifyKey"]);
    EXPECT_NE(keyboard["Profiles"][0]["ModifyKey"], FactoryProfile(0)["ModifyKey"]);
    EXPECT_EQ(RecordProfile(0)["Keys"], keyboard["Profiles"][0]["Keys"]) << "the other reports went on";
    EXPECT_EQ(RecordProfile(1), keyboard["Profiles"][1]);
    EXPECT_TRUE(Log("set 14").empty()) << "the keyboard gets no stamp for an incomplete read";
}

TEST_F(ProtocolOnEmu, RecordedMacroIsReadBackUnlessDamagedThreeTimes) {
    ASSERT_EQ(Ctl({"record", "3", "5", "0x04:1:50", "0x04:2:0"}).rc, 0);
    ASSERT_EQ(Ctl({"fault", "checksum", "3"}).rc, 0);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0305), MacroRecordFeedback::None);
    EXPECT_NE(record->Profiles[0].Keys[4].FunctionCode, kFnMacro);

    ASSERT_EQ(Ctl({"fault", "checksum", "2"}).rc, 0);
    EXPECT_EQ(protocol.HandleMacroRecordStage(0x0305), MacroRecordFeedback::MacroRecorded);
    const MacroKeyInfo& key = record->Profiles[0].Keys[4];
    EXPECT_EQ(key.FunctionCode, kFnMacro);
    ASSERT_EQ(key.EventCount, 2);
    EXPECT_EQ(key.Events[0].KeyCode, 0x04);
    EXPECT_EQ(key.Events[0].Delay, 50);
    EXPECT_EQ(key.Events[1].Action, 2);
    ASSERT_TRUE(files.Stamp().has_value());
    EXPECT_EQ(Dump()["SyncStamp"], StampHex(*files.Stamp()));
}

// KelmEmu keeps only profiles 0..4: it refuses a write of 7 and will not
// start from a state file that names 7. A keyboard that answers 7 is made
// here by changing that byte between the library and the protocol.
class ProfileAnswer final : public IFeatureDevice {
public:
    ProfileAnswer(IFeatureDevice& keyboard, std::uint8_t answer) : keyboard_(keyboard), answer_(answer) {}
    bool SetFeature(std::span<const std::uint8_t> report) override { return keyboard_.SetFeature(report); }
    bool GetFeature(std::span<std::uint8_t> buffer) override {
        const bool profileRead = buffer.size() == 3 && buffer[0] == static_cast<std::uint8_t>(ReportId::ProfileReport);
        const bool received = keyboard_.GetFeature(buffer);
        if (received && profileRead) buffer[2] = answer_;
        return received;
    }

private:
    IFeatureDevice& keyboard_;
    std::uint8_t answer_;
};

TEST_F(ProtocolOnEmu, ActiveProfileSevenLeavesCurrentProfile) {
    ASSERT_NO_FATAL_FAILURE(ShareStamp());
    ProfileAnswer seven(device, 7);
    KeyboardProtocol answersSeven(seven, clock, abort, *record, {files});
    record->CurrentProfile = 2;
    ASSERT_TRUE(answersSeven.CheckSyncStamp());
    EXPECT_TRUE(answersSeven.ReadAllFromKeyboard()) << "the read itself worked";
    EXPECT_EQ(record->CurrentProfile, 2);
    ASSERT_EQ(Log("get 05").size(), 1u);
    EXPECT_TRUE(StartsWith(Log("get 05")[0], "get 05 3 answered 050300")) << "KelmEmu said 0";
}

// Here the keyboard itself takes time: it stays busy for 700 ms after each
// write. The ready poll's real waits outlast that; virtual ones, which let
// no time pass, give up after ten polls.
TEST_F(ProtocolOnEmu, RealWaitsOutlastAKeyboardThatIsBusyForAWhile) {
    ASSERT_EQ(Ctl({"busy", "0", "700"}).rc, 0);
    SystemClock realClock;
    KeyboardProtocol realTime(device, realClock, abort, *record, {files});
    record->CurrentProfile = 4;
    ASSERT_TRUE(realTime.SendCurrentProfile());
    std::vector<std::string> polls = Log("get 04");
    ASSERT_EQ(polls.size(), 2u);
    EXPECT_EQ(polls[0], "get 04 3 answered 040300") << "busy after 100 ms";
    EXPECT_EQ(polls[1], "get 04 3 answered 040100") << "ready 1000 ms later";
    EXPECT_EQ(Dump()["CurrentProfile"], 4);

    record->CurrentProfile = 1;
    EXPECT_FALSE(protocol.SendCurrentProfile());
    EXPECT_EQ(Log("get 04").size(), 12u);
}

}  // namespace
}  // namespace kelm::keyboard_test
