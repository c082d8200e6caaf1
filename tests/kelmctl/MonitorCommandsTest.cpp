// kelmctl status and apply against a stand-in for KelmWatch made from the
// platform pieces the monitor uses: a window titled as the monitor, the
// shared settings block and its mutex. It records each message it gets and
// the block as it was when the message came.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/EventLoop.h"
#include "platform/NamedMutex.h"
#include "platform/SharedMapping.h"
#include "platform/WindowEndpoint.h"
#include "settings/Defaults.h"
#include "settings/SettingsStore.h"
#include "settings/Text.h"
#include "settings/json/Json.h"
#include "settings/json/ProfileJson.h"
#include "suite/SuiteIds.h"
#include "tests/kelmctl/SampleProfile.h"
#include "tests/support/Programs.h"
#include "tests/support/SameBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"
#include "tests/support/TempRuntime.h"

namespace kelm::test {
namespace {

using json::Json;

class FakeMonitor {
public:
    // The block and mutex exist from here on; the window only after Listen.
    FakeMonitor()
        : mutex_(NamedMutex::Create(kSettingsBlockMutexName)),
          block_(SharedMapping::Create(kSettingsBlockName, sizeof(SettingsRecord))) {}
    ~FakeMonitor() {
        if (thread_.joinable()) {
            loop_->Quit();
            thread_.join();
        }
    }

    // What the apply answers: 1 when the keyboard took every change.
    std::atomic<std::int64_t> answer{1};

    bool Ready() const { return mutex_ && block_ && !mutex_.AlreadyExisted() && !block_.AlreadyExisted(); }

    void Publish(const SettingsRecord& record) {
        const NamedMutexLock lock(mutex_);
        std::memcpy(block_.Data(), &record, sizeof record);
    }

    bool Listen() {
        loop_ = EventLoop::Create();
        if (!loop_) return false;
        endpoint_ = WindowEndpoint::Create(*loop_, kMonitorTitle, [this](const WindowMessage& m) {
            std::lock_guard guard(seenMutex_);
            messages_.push_back(m);
            const NamedMutexLock lock(mutex_);
            std::memcpy(received_.get(), block_.Data(), sizeof(SettingsRecord));
            return answer.load();
        });
        if (!endpoint_) return false;
        thread_ = std::thread([this] { loop_->Run(); });
        return true;
    }

    std::vector<WindowMessage> Messages() {
        std::lock_guard guard(seenMutex_);
        return messages_;
    }
    // The block as it was when the last message came.
    const SettingsRecord& Received() {
        std::lock_guard guard(seenMutex_);
        return *received_;
    }

private:
    NamedMutex mutex_;
    SharedMapping block_;
    std::unique_ptr<EventLoop> loop_;
    std::unique_ptr<WindowEndpoint> endpoint_;
    std::thread thread_;
    std::mutex seenMutex_;
    std::vector<WindowMessage> messages_;
    std::unique_ptr<SettingsRecord> received_ = std::make_unique<SettingsRecord>();
};

class MonitorCommands : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(KelmctlPath().empty()) << "KELM_PROGRAM_FOLDER is not set";
        // What KelmWatch holds: the saved settings as the settings programs
        // load them, so both sides start equal.
        const auto saved = std::make_unique<SettingsRecord>();
        ClearSettings(*saved);
        DefaultSettings(*saved);
        saved->CurrentProfile = 0;
        ASSERT_EQ(SaveAll(*saved, folder_.Where()), 1);
        held_ = Load();
    }

    std::unique_ptr<SettingsRecord> Load() const {
        auto record = std::make_unique<SettingsRecord>();
        ClearSettings(*record);
        LoadAll(*record, folder_.Where());
        return record;
    }
    void Save(const SettingsRecord& record) const { ASSERT_EQ(SaveAll(record, folder_.Where()), 1); }

    ProgramResult Run(std::vector<std::string> args) {
        args.push_back("--home");
        args.push_back(folder_.Where().programFolder);
        return RunKelmctl(args, folder_.Root());
    }

    // The monitor holding held_, listening.
    void StartMonitor() {
        monitor_ = std::make_unique<FakeMonitor>();
        ASSERT_TRUE(monitor_->Ready());
        monitor_->Publish(*held_);
        ASSERT_TRUE(monitor_->Listen());
    }

    ScopedEnv noHome_{"KELM_HOME", nullptr};
    TempRuntime runtime_;
    TempProgramFolder folder_;
    std::unique_ptr<SettingsRecord> held_;
    std::unique_ptr<FakeMonitor> monitor_;
};

TEST_F(MonitorCommands, ApplySendsWhatDiffersFromWhatTheMonitorHolds) {
    StartMonitor();
    auto edited = std::make_unique<SettingsRecord>(*held_);
    edited->CurrentProfile = 1;
    edited->Profiles[1].Keys[36].FunctionCode = kFnMacro;        // F1
    CopyField(edited->Profiles[1].Keys[40].MacroName, "Build");  // F5
    edited->Profiles[1].LtTimeout = 30;
    Save(*edited);

    const ProgramResult result = Run({"apply"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "sent: current profile, Profile 2 keys F1 F5, Profile 2 light\n");
    EXPECT_EQ(result.err, "");
    const std::vector<WindowMessage> messages = monitor_->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Send);
    EXPECT_EQ(messages[0].msg, MSG_APPLY_SETTINGS);
    EXPECT_EQ(messages[0].wParam, 0u);
    EXPECT_EQ(messages[0].lParam, 0);

    // The block holds the saved settings whole, with exactly these flags.
    const auto expected = Load();
    expected->Flags.CurrentProfileChanged = 1;
    expected->Flags.KeyChanged[1][36] = 1;
    expected->Flags.KeyChanged[1][40] = 1;
    expected->Flags.LightChanged[1] = 1;
    EXPECT_TRUE(SameBytes(monitor_->Received(), *expected));
}

TEST_F(MonitorCommands, ApplyWithNothingChangedStillAsksAndFlagsNothing) {
    StartMonitor();
    const ProgramResult result = Run({"apply"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "sent: nothing\n");
    ASSERT_EQ(monitor_->Messages().size(), 1u);
    EXPECT_TRUE(SameBytes(monitor_->Received(), *held_));
}

TEST_F(MonitorCommands, AnApplyTheKeyboardDidNotGetFails) {
    StartMonitor();
    monitor_->answer = 0;
    const ProgramResult result = Run({"apply"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("the keyboard did not get"), std::string::npos) << result.err;
}

TEST_F(MonitorCommands, ApplyWithResetMarksEverythingAndSaysSo) {
    StartMonitor();
    const ProgramResult result = Run({"apply", "--reset"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("sent with reset: current profile, Profile 1 all keys, ", 0), 0u) << result.out;
    ASSERT_EQ(monitor_->Messages().size(), 1u);
    EXPECT_EQ(monitor_->Messages()[0].wParam, 1u);
    const auto expected = Load();
    MarkAllChanged(*expected);
    EXPECT_TRUE(SameBytes(monitor_->Received(), *expected));
}

TEST_F(MonitorCommands, ApplyWithoutTheMonitorSendsNothing) {
    const ProgramResult result = Run({"apply"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "kelmctl: KelmWatch is not running; nothing was sent\n");
}

TEST_F(MonitorCommands, ApplyRefusesABlockLeftBehindByADeadHolder) {
    auto monitor = std::make_unique<FakeMonitor>();
    ASSERT_TRUE(monitor->Ready());
    monitor->Publish(*held_);
    // A program that ended in the middle of a copy, before any thread of
    // this process starts.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        NamedMutex mutex = NamedMutex::Open(kSettingsBlockMutexName);
        ::_exit(mutex && mutex.Lock() == LockResult::Acquired ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(monitor->Listen());

    const ProgramResult result = Run({"apply"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kelmctl: cannot read KelmWatch's settings block; nothing was sent\n");
    EXPECT_TRUE(monitor->Messages().empty());
}

TEST_F(MonitorCommands, StatusShowsTheProfileKelmWatchHolds) {
    held_->CurrentProfile = 3;
    CopyField(held_->Profiles[3].ProFileName, "Race \xE9t\xE9");
    StartMonitor();
    WriteFile(folder_.Where().ConfigPath(), "[Setting]\r\nDevice=1\r\nFWVersion=115\r\nCurrentProfile=0\r\n");

    const ProgramResult human = Run({"status"});
    ASSERT_EQ(human.status, 0) << human.err;
    EXPECT_EQ(human.out,
              "KelmWatch:        running\n"
              "Keyboard:         connected\n"
              "Current profile:  Profile 4 \"Race \xE9t\xE9\" (from KelmWatch)\n"
              "Firmware:         1.15\n");

    const ProgramResult json = Run({"status", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(Json::parse(json.out), Json::parse(R"({"KelmWatch": true, "Device": 1, "CurrentProfile": 3,
        "ProfileName": "Race \uefe9t\uefe9", "ProfileSource": "KelmWatch", "FWVersion": 115, "Firmware": "1.15"})"));
    EXPECT_TRUE(monitor_->Messages().empty()) << "status only looks";
}

TEST_F(MonitorCommands, StatusWithoutTheMonitorReadsTheSettingsFiles) {
    auto saved = std::make_unique<SettingsRecord>(*held_);
    saved->CurrentProfile = 2;
    Save(*saved);

    const ProgramResult human = Run({"status"});
    ASSERT_EQ(human.status, 0) << human.err;
    EXPECT_EQ(human.out,
              "KelmWatch:        not running\n"
              "Keyboard:         unknown\n"
              "Current profile:  Profile 3 \"Default3\" (from config.ini)\n"
              "Firmware:         N/A\n");

    WriteFile(folder_.Where().ConfigPath(), "[Setting]\r\nDevice=0\r\nFWVersion=600\r\nCurrentProfile=9\r\n");
    const ProgramResult json = Run({"status", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(Json::parse(json.out), Json::parse(R"({"KelmWatch": false, "Device": 0, "CurrentProfile": 9,
        "ProfileName": null, "ProfileSource": "config.ini", "FWVersion": 600, "Firmware": "N/A"})"));
    const ProgramResult again = Run({"status"});
    EXPECT_NE(again.out.find("Keyboard:         not connected (when KelmWatch last ran)\n"), std::string::npos);
    EXPECT_NE(again.out.find("Current profile:  none (from config.ini)\n"), std::string::npos);
}

TEST_F(MonitorCommands, ProfileSwitchAsksKelmWatchAndKeepsWhatIsPending) {
    held_->Flags.LightChanged[2] = 1;  // an apply the keyboard missed
    StartMonitor();
    EXPECT_EQ(Run({"profile", "switch", "6"}).status, 2);
    EXPECT_TRUE(monitor_->Messages().empty());

    const ProgramResult result = Run({"profile", "switch", "4"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "current profile: Profile 4 \"Default4\"\n");
    const std::vector<WindowMessage> messages = monitor_->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].msg, MSG_APPLY_SETTINGS);
    EXPECT_EQ(messages[0].wParam, 0u);
    auto expected = std::make_unique<SettingsRecord>(*held_);
    expected->CurrentProfile = 3;
    expected->Flags.CurrentProfileChanged = 1;
    EXPECT_TRUE(SameBytes(monitor_->Received(), *expected));
    EXPECT_EQ(Load()->CurrentProfile, 3);

    monitor_->answer = 0;
    const ProgramResult missed = Run({"profile", "switch", "1"});
    EXPECT_EQ(missed.status, 1);
    EXPECT_NE(missed.err.find("the keyboard did not get every change"), std::string::npos) << missed.err;
}

TEST_F(MonitorCommands, BackupAndRestoreThroughKelmWatch) {
    FillSampleProfile(held_->Profiles[1]);
    held_->CurrentProfile = 1;
    StartMonitor();
    const std::string file = folder_.Root() + "/backup.json";

    // Only a record KelmWatch has sent whole to a keyboard it sees is the keyboard's.
    WriteFile(folder_.Where().ConfigPath(), "[Setting]\r\nDevice=0\r\nFWVersion=115\r\n");
    ProgramResult backup = Run({"keyboard", "backup", file});
    EXPECT_EQ(backup.status, 1);
    EXPECT_EQ(backup.err, "kelmctl: KelmWatch does not see the keyboard (is it connected?); nothing was written\n");
    EXPECT_FALSE(Exists(file));
    WriteFile(folder_.Where().ConfigPath(), "[Setting]\r\nDevice=1\r\nFWVersion=115\r\n");
    held_->Flags.KeyChanged[0][3] = 1;
    monitor_->Publish(*held_);
    EXPECT_EQ(Run({"keyboard", "backup", file}).status, 1);
    EXPECT_FALSE(Exists(file));

    held_->Flags.KeyChanged[0][3] = 0;
    monitor_->Publish(*held_);
    backup = Run({"keyboard", "backup", file});
    ASSERT_EQ(backup.status, 0) << backup.err;
    Json json = Json::parse(ReadFile(file));
    EXPECT_EQ(json["CurrentProfile"], 1);
    EXPECT_EQ(json["FWVersion"], 115);
    for (int slot = 0; slot < kProfileCount; ++slot)
        EXPECT_EQ(json["Profiles"][slot], json::ProfileToJson(held_->Profiles[slot])) << "slot " << slot;
    EXPECT_TRUE(monitor_->Messages().empty());

    // KelmWatch now holds something else; the restore brings the backup back.
    auto changed = std::make_unique<SettingsRecord>(*held_);
    DefaultProfile(changed->Profiles[1], 1);
    changed->CurrentProfile = 4;
    monitor_->Publish(*changed);
    const ProgramResult restore = Run({"keyboard", "restore", file});
    ASSERT_EQ(restore.status, 0) << restore.err;
    ASSERT_EQ(monitor_->Messages().size(), 1u);
    EXPECT_EQ(monitor_->Messages()[0].msg, MSG_APPLY_SETTINGS);
    auto expected = std::make_unique<SettingsRecord>(*held_);
    MarkAllChanged(*expected);
    EXPECT_TRUE(SameBytes(monitor_->Received().Profiles, expected->Profiles));
    EXPECT_TRUE(SameBytes(monitor_->Received().Flags, expected->Flags)) << "everything is sent";
    EXPECT_EQ(monitor_->Received().CurrentProfile, 1);
    const auto saved = Load();
    EXPECT_EQ(saved->CurrentProfile, 1);
    EXPECT_EQ(json::ProfileToJson(saved->Profiles[1]), json["Profiles"][1]);
}

TEST_F(MonitorCommands, UsageErrorsExitTwo) {
    EXPECT_EQ(Run({"status", "--json=yes"}).status, 2);
    EXPECT_EQ(Run({"apply", "--reset", "--reset"}).status, 2);
    EXPECT_EQ(Run({"apply", "now"}).status, 2);
}

}  // namespace
}  // namespace kelm::test
