// KelmSetup's session and controller, put together as the program puts
// them (the real monitor link, the apply on a thread of its own, the answer
// on the window's loop), against the real KelmWatch and KelmEmu in a
// temporary program folder. The window is a recording view; this test turns
// its loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "keyboard/SettingsReports.h"
#include "platform/EventLoop.h"
#include "platform/WindowEndpoint.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/MacroLibrary.h"
#include "settings/ProfileFile.h"
#include "settings/json/ProfileJson.h"
#include "setup/KeyAssignment.h"
#include "setup/MacroManager.h"
#include "setup/SetupController.h"
#include "setup/ThreadApplyRunner.h"
#include "tests/monitor/MonitorIntegrationFixture.h"
#include "tests/setup/SetupDoubles.h"
#include "tests/support/EmuReportLog.h"
#include "tests/support/SameBytes.h"

namespace kelm::test {
namespace {

constexpr auto kProfileReport = static_cast<std::uint8_t>(ReportId::ProfileReport);
constexpr auto kLightReport = static_cast<std::uint8_t>(ReportId::LightReport);
constexpr auto kResetReport = static_cast<std::uint8_t>(ReportId::ResetReport);
constexpr auto kStampReport = static_cast<std::uint8_t>(ReportId::SyncStampReport);
constexpr auto kMacroReport = static_cast<std::uint8_t>(ReportId::MacroReport);

// The writes an apply of these flags makes, in the monitor's order: the
// active profile, the settings reports group by group, the stamp. No macro
// key is flagged in these tests.
std::vector<std::uint8_t> PrescribedWrites(const ChangeFlags& flags) {
    std::vector<std::uint8_t> ids;
    if (IsFlagSet(flags.CurrentProfileChanged)) ids.push_back(kProfileReport);
    for (const SettingsReportStep& step : kSettingsReports)
        for (int profile = 0; profile < kProfileCount; ++profile)
            if (SettingsReportChanged(step.id, flags, profile)) ids.push_back(static_cast<std::uint8_t>(step.id));
    ids.push_back(kStampReport);
    return ids;
}

// The dump's JSON and ProfileToJson's ordered JSON, comparable.
nlohmann::json Plain(const json::Json& value) { return nlohmann::json::parse(value.dump()); }

class SetupIntegration : public MonitorIntegration {
protected:
    void SetUp() override {
        if (ProgramFolder().empty()) GTEST_SKIP() << "KELM_PROGRAM_FOLDER is not set";
        MonitorIntegration::SetUp();
        AgreeOnStamp();
        loop = EventLoop::Create();
        ASSERT_TRUE(loop);
    }
    void TearDown() override {
        controller.reset();
        runner.reset();
        session.reset();
        link.reset();
        MonitorIntegration::TearDown();
    }

    // A KelmSetup started afresh, as main() builds it.
    void StartSetup() {
        controller.reset();
        runner.reset();
        session.reset();
        link = CreateMonitorLink();
        session = std::make_unique<SetupSession>(*link, Where());
        runner = std::make_unique<ThreadApplyRunner>(*link, *loop);
        controller = std::make_unique<SetupController>(*session, view, *runner);
        controller->Start();
        view = RecordingView{};
    }
    StoreLocation Where() const { return StoreLocation::ForProgramFolder(home); }

    // Turns the window's loop until done() or timeoutMs have passed.
    bool Turn(const std::function<bool()>& done, int timeoutMs = 10000) {
        return Eventually(
            [&] {
                loop->RunOnce(std::chrono::milliseconds(5));
                return done();
            },
            timeoutMs);
    }
    // Apply, OK or Reset with the keyboard's log emptied first, until the
    // monitor's answer has reached the window.
    void Applied(void (SetupController::*click)()) {
        Ctl({"reset-log"});
        (controller.get()->*click)();
        ASSERT_TRUE(Turn([&] { return !controller->Applying(); }));
    }

    int SavedCurrentProfile() const { return IniFile(Where().ConfigPath()).ReadInt("Setting", "CurrentProfile", -99); }
    json::Json SavedProfile(int slot) const {
        ProfileRecord saved{};
        LoadProfile(saved, Where().ProfilePath(slot));
        return json::ProfileToJson(saved);
    }
    // Every file below the program folder but the notes of the stand-in
    // programs, which come when the monitor starts them.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(home))
            if (entry.is_regular_file() && !entry.is_symlink() && entry.path().extension() != ".started")
                files[entry.path()] = ReadFile(entry.path());
        return files;
    }

    std::unique_ptr<EventLoop> loop;
    std::unique_ptr<IMonitorLink> link;
    std::unique_ptr<SetupSession> session;
    std::unique_ptr<ThreadApplyRunner> runner;
    std::unique_ptr<SetupController> controller;
    RecordingView view;
};

TEST_F(SetupIntegration, ApplySendsExactlyTheFlaggedReportsAndSavesBlockAndFiles) {
    struct Case {
        const char* what;
        const char* field;  // the profile's JSON member the edit changes
        int slot;
        void (*edit)(ProfileRecord&);
        void (*flags)(ChangeFlags&);
    };
    const Case cases[] = {
        {"brightness of slot 3", "LtBrightness", 2,
         [](ProfileRecord& p) { p.LtBrightness = p.LtBrightness == 4 ? 1 : 4; },
         [](ChangeFlags& f) {
             f.CurrentProfileChanged = 1;
             f.LightChanged[2] = 1;
         }},
        // Selecting the slot that is already active is no change.
        {"a switchable key of slot 3", "ModifyKey", 2,
         [](ProfileRecord& p) { p.ModifyKey[2] = p.ModifyKey[2] ? 0 : 1; },
         [](ChangeFlags& f) { f.ModifyKeyChanged[2] = 1; }},
        {"time-out of slot 5", "LtTimeout", 4, [](ProfileRecord& p) { p.LtTimeout = p.LtTimeout == 7 ? 8 : 7; },
         [](ChangeFlags& f) {
             f.CurrentProfileChanged = 1;
             f.LightChanged[4] = 1;
         }},
    };
    StartAll();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartSetup();
        controller->OnSlot(c.slot);
        c.edit(session->Working().Profiles[c.slot]);
        const auto edited = std::make_unique<SettingsRecord>(session->Working());
        ChangeFlags flags{};
        c.flags(flags);

        ASSERT_NO_FATAL_FAILURE(Applied(&SetupController::OnApply));
        EXPECT_TRUE(view.notices.empty());
        const LoggedReports logged = ParseReportLog(Log());
        const std::vector<std::uint8_t> prescribed = PrescribedWrites(flags);
        EXPECT_EQ(logged.writes, prescribed)
            << ReportIdList(logged.writes) << "instead of " << ReportIdList(prescribed);
        EXPECT_TRUE(logged.onlyStatusReads && logged.allGood) << Log();

        const json::Json want = json::ProfileToJson(edited->Profiles[c.slot]);
        const auto shared = block.Read();
        EXPECT_EQ(shared->CurrentProfile, c.slot);
        EXPECT_TRUE(SameBytes(shared->Profiles[c.slot], edited->Profiles[c.slot]));
        EXPECT_EQ(SavedCurrentProfile(), c.slot);
        EXPECT_EQ(SavedProfile(c.slot), want);
        const auto keyboard = Dump();
        EXPECT_EQ(keyboard["CurrentProfile"], c.slot);
        EXPECT_EQ(keyboard["Profiles"][c.slot][c.field], Plain(want[c.field]));
    }
}

TEST_F(SetupIntegration, WithoutApplyNothingChanges) {
    StartAll();
    StartSetup();
    const auto files = Files();
    const auto shared = block.Read();
    Ctl({"reset-log"});

    controller->OnSlot(4);
    session->Working().Profiles[4].LtBrightness = 0;
    session->Working().Profiles[0].ModifyKey[4] ^= 1;
    ASSERT_TRUE(session->SetLanguage(12));
    controller->OnCancel();
    EXPECT_EQ(view.calls.back(), "close");
    controller.reset();
    session.reset();

    // The monitor has handled whatever was sent before this.
    ASSERT_EQ(SendMessage(kMonitorTitle, MSG_IGNORED_1232, 0, 0), 0);
    EXPECT_EQ(Files(), files);
    EXPECT_TRUE(SameBytes(*block.Read(), *shared));
    const LoggedReports logged = ParseReportLog(Log());
    EXPECT_TRUE(logged.writes.empty()) << ReportIdList(logged.writes);
    EXPECT_TRUE(logged.onlyStatusReads);
}

TEST_F(SetupIntegration, AProfileChangeOnTheKeyboardReplacesUnappliedEditsAndLeavesNoFlagsBehind) {
    StartAll();
    StartSetup();
    const auto window = WindowEndpoint::Create(*loop, kSetupTitle,
                                               [this](const WindowMessage& m) { return controller->WindowProc(m); });
    ASSERT_TRUE(window);
    // A loaded profile flags every key of its slot; the monitor's record
    // keeps those flags after the apply.
    const std::string vkp = folder / "mine.vkp";
    ASSERT_TRUE(session->ExportProfile(vkp));
    ASSERT_TRUE(session->ImportProfile(vkp));
    ASSERT_NO_FATAL_FAILURE(Applied(&SetupController::OnApply));
    ASSERT_GT(ParseReportLog(Log()).writes.size(), 3u) << "the loaded profile's keys were not sent";

    controller->OnSlot(4);
    session->Working().Profiles[4].LtBrightness = session->Working().Profiles[4].LtBrightness == 0 ? 1 : 0;
    Ctl({"profile", "2"});
    ASSERT_TRUE(Turn([&] { return session->CurrentSlot() == 1; }));
    const auto shared = block.Read();
    EXPECT_TRUE(SameBytes(session->Working().Profiles, shared->Profiles));
    EXPECT_TRUE(view.Saw("refresh"));

    // What the monitor applied before is no edit of this window: the next
    // apply sends only the new change.
    session->Working().Profiles[1].LtTimeout = shared->Profiles[1].LtTimeout == 9 ? 10 : 9;
    ASSERT_NO_FATAL_FAILURE(Applied(&SetupController::OnApply));
    EXPECT_EQ(ParseReportLog(Log()).writes, (std::vector<std::uint8_t>{kLightReport, kStampReport}))
        << ReportIdList(ParseReportLog(Log()).writes);
}

TEST_F(SetupIntegration, ResetResetsTheKeyboardToTheFactoryRecordTheWindowShows) {
    StartAll();
    StartSetup();
    // First the keyboard holds what the factory's record does not.
    ProfileRecord factory{};
    DefaultProfile(factory, 2);
    controller->OnSlot(2);
    session->Working().Profiles[2].LtBrightness = factory.LtBrightness == 1 ? 2 : 1;
    session->Working().Profiles[4].ModifyKey[0] = factory.ModifyKey[0] ? 0 : 1;
    ASSERT_NO_FATAL_FAILURE(Applied(&SetupController::OnApply));
    ASSERT_NE(Dump()["Profiles"][2]["LtBrightness"], factory.LtBrightness);

    ASSERT_NO_FATAL_FAILURE(Applied(&SetupController::OnReset));
    EXPECT_TRUE(view.notices.empty());
    EXPECT_EQ(ParseReportLog(Log()).writes, (std::vector<std::uint8_t>{kResetReport, kStampReport}));
    const auto keyboard = Dump();
    EXPECT_EQ(keyboard["CurrentProfile"], session->CurrentSlot());
    EXPECT_EQ(SavedCurrentProfile(), session->CurrentSlot());
    for (int slot = 0; slot < kProfileCount; ++slot) {
        const json::Json shown = json::ProfileToJson(session->Working().Profiles[slot]);
        EXPECT_EQ(keyboard["Profiles"][slot], Plain(shown)) << slot;
        EXPECT_EQ(SavedProfile(slot), shown) << slot;
    }
    EXPECT_TRUE(SameBytes(block.Read()->Profiles, session->Working().Profiles));
}

// A user's whole way with a macro: recorded in the macro manager, OK, put
// on M3 from its menu, Apply. The keyboard must hold exactly the recorded
// events under M3, and the library and the profile file must keep them.
TEST_F(SetupIntegration, ARecordedMacroOnM3ReachesTheKeyboardAndTheFiles) {
    StartAll();
    StartSetup();
    MacroManager manager(session->Library());
    manager.Start(-1, MacroKeyInfo{});
    ASSERT_EQ(manager.AddSet("Raids"), MacroError::None);
    ASSERT_EQ(manager.NewMacro(), MacroError::None);
    ASSERT_EQ(manager.FinishNewRow(" Opener "), MacroError::None);
    manager.SetDelayCapture(true);
    ASSERT_EQ(manager.StartRecording(), MacroError::None);
    // Shift held over "k", then "e"; the second Shift press is a repeat.
    constexpr std::uint16_t kShift = 42, kK = 37, kE = 18;
    const struct {
        std::uint16_t code;
        bool released;
        std::uint32_t at;
    } typed[] = {{kShift, false, 1000}, {kK, false, 1040}, {kShift, false, 1070}, {kK, true, 1095},
                 {kShift, true, 1130},  {kE, false, 1300}, {kE, true, 1361}};
    for (const auto& key : typed) manager.RecordKey(key.code, key.released, key.at);
    manager.StopRecording();
    ASSERT_TRUE(AcceptMacroManager(std::move(manager), session->Library(), Where()));

    const int slot = session->CurrentSlot();
    constexpr int kM3 = 2;
    DuoLayerBackup backup{};
    FunctionCommandData data;
    data.library = &session->Library();
    ASSERT_TRUE(AssignKeyFunction(session->Working(), kM3, MacroCommand(0, 0), data, backup, true));
    ASSERT_NO_FATAL_FAILURE(Applied(&SetupController::OnApply));

    // Usages: Left Shift 0xE1, K 0x0E, E 0x08; press 1, release 2.
    const MacroEvent want[] = {{0xE1, 1, 40},  {0x0E, 1, 55}, {0x0E, 2, 35},
                               {0xE1, 2, 170}, {0x08, 1, 61}, {0x08, 2, 0}};
    const MacroKeyInfo& entry = session->Working().Profiles[slot].Keys[kM3];
    ASSERT_EQ(entry.EventCount, std::size(want));
    EXPECT_EQ(std::memcmp(entry.Events, want, sizeof want), 0);

    const LoggedReports logged = ParseReportLog(Log());
    EXPECT_EQ(std::count(logged.writes.begin(), logged.writes.end(), kMacroReport), 1) << ReportIdList(logged.writes);
    EXPECT_TRUE(logged.allGood) << Log();
    const ReportBytes sent = BuildMacroReport({static_cast<std::uint8_t>(slot), kM3}, entry);
    char head[17];
    for (int i = 0; i < 8; ++i) std::snprintf(head + 2 * i, 3, "%02X", sent[static_cast<std::size_t>(i)]);
    EXPECT_NE(Log().find("set 0E 2083 accepted " + std::string(head)), std::string::npos) << Log();
    const auto keyboard = Dump()["Profiles"][slot]["Keys"][kM3];
    const json::Json stored = json::KeyEntryToJson(entry);
    for (const char* field : {"FunctionCode", "MacroSetName", "MacroName", "MacroOption", "Events"})
        EXPECT_EQ(keyboard[field], Plain(stored[field])) << field;

    EXPECT_EQ(SavedProfile(slot)["Keys"][kM3], stored);
    MacroLibrary saved;
    LoadMacroLibrary(saved, Where());
    ASSERT_EQ(saved.Sets.size(), 1u);
    EXPECT_EQ(saved.Sets[0].Name, "Raids");
    ASSERT_EQ(saved.Sets[0].Macros.size(), 1u);
    EXPECT_STREQ(saved.Sets[0].Macros[0].Name, "Opener");
    EXPECT_EQ(std::memcmp(saved.Sets[0].Macros[0].Events, want, sizeof want), 0);
}

TEST_F(SetupIntegration, WithoutTheMonitorApplySavesTheFilesAndSaysSo) {
    StartSetup();
    EXPECT_FALSE(session->HasMonitorBlock());
    controller->OnSlot(3);
    session->Working().Profiles[3].LtBrightness = 2;
    controller->OnApply();
    EXPECT_FALSE(controller->Applying());
    EXPECT_EQ(view.notices, std::vector{ISetupView::Notice::SavedWithoutMonitor});
    EXPECT_EQ(SavedCurrentProfile(), 3);
    EXPECT_EQ(SavedProfile(3), json::ProfileToJson(session->Working().Profiles[3]));
}

}  // namespace
}  // namespace kelm::test
