// Every port of CMonitorWnd as a fake that writes what it is asked into one
// shared log, so a test can check what happened and in which order; the
// keyboard is the protocol tests' scripted keyboard on a virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Eventually.h"
#include "monitor/HostActions.h"
#include "monitor/MonitorPorts.h"
#include "platform/MessageLoop.h"
#include "platform/ProcessLauncher.h"
#include "settings/Defaults.h"
#include "tests/protocol/FakeKeyboard.h"

namespace kelm::test {

class CallLog {
public:
    void Add(std::string entry) {
        std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
    }
    std::vector<std::string> Entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }
    int Count(const std::string& entry) const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(entries_.begin(), entries_.end(), entry));
    }
    bool Has(const std::string& entry) const { return Count(entry) > 0; }

    // The expected entries occur in this order (others may lie between).
    ::testing::AssertionResult InOrder(const std::vector<std::string>& expected) const {
        const auto entries = Entries();
        auto at = entries.begin();
        for (const std::string& want : expected) {
            at = std::find(at, entries.end(), want);
            if (at == entries.end()) {
                std::string all;
                for (const auto& e : entries) all += "\n  " + e;
                return ::testing::AssertionFailure() << "\"" << want << "\" missing or out of order in:" << all;
            }
            ++at;
        }
        return ::testing::AssertionSuccess();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

// Posted work waits until the test runs it, as a window's queue waits for
// the window's thread.
class FakeLoop final : public MessageLoop {
public:
    void Post(std::function<void()> task) override {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
    }
    WatchId Watch(int, std::function<void()>) override { return 0; }
    void Unwatch(WatchId) override {}
    // Runs what was posted, including what that posts in turn.
    int RunPosted() {
        int ran = 0;
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (posted_.empty()) return ran;
                task = std::move(posted_.front());
                posted_.pop_front();
            }
            task();
            ++ran;
        }
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
};

class FakeTimers final : public TimerService {
public:
    explicit FakeTimers(CallLog& log) : log_(log) {}
    void SetTimer(unsigned id, std::chrono::milliseconds period) override {
        running_[id] = period;
        log_.Add("SetTimer " + std::to_string(id) + " " + std::to_string(period.count()));
    }
    bool KillTimer(unsigned id) override { return running_.erase(id) > 0; }
    bool Running(unsigned id) const { return running_.count(id) > 0; }
    long Period(unsigned id) const { return Running(id) ? static_cast<long>(running_.at(id).count()) : -1; }
    std::set<unsigned> RunningIds() const {
        std::set<unsigned> ids;
        for (const auto& [id, period] : running_) ids.insert(id);
        return ids;
    }

private:
    CallLog& log_;
    std::map<unsigned, std::chrono::milliseconds> running_;
};

class FakeWindowHost final : public IWindowHost {
public:
    explicit FakeWindowHost(CallLog& log) : log_(log) {}
    bool Listen(std::string_view title, Handler handler) override {
        log_.Add("Listen " + std::string(title));
        handler_ = std::move(handler);
        return listens;
    }
    void Close() override { log_.Add("CloseWindow"); }
    // The reply reaches the log on whichever thread gives it, also after
    // this fake is gone (a task still queued when a test ends).
    DeferredReply DeferReply() override {
        return DeferredReply([&log = log_](std::int64_t result) { log.Add("Reply " + std::to_string(result)); });
    }
    bool listens = true;
    Handler handler_;

private:
    CallLog& log_;
};

struct Post {
    std::string title;
    std::uint32_t msg;
    std::uint64_t wParam;
    std::int64_t lParam;
};

// Windows of other programs: a post reaches only a window that exists.
class FakeWindows final : public IWindowDirectory {
public:
    explicit FakeWindows(CallLog& log) : log_(log) {}
    bool FindWindow(std::string_view title) override {
        std::lock_guard lock(mutex_);
        return existing.count(std::string(title)) > 0;
    }
    bool PostMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) override {
        std::lock_guard lock(mutex_);
        if (existing.count(std::string(title)) == 0) return false;
        posts_.push_back({std::string(title), msg, wParam, lParam});
        log_.Add("Post " + std::string(title) + " " + std::to_string(msg) + " " + std::to_string(wParam));
        return true;
    }
    std::vector<Post> PostsTo(const std::string& title) {
        std::lock_guard lock(mutex_);
        std::vector<Post> out;
        for (const Post& p : posts_)
            if (p.title == title) out.push_back(p);
        return out;
    }
    void Open(const std::string& title) {
        std::lock_guard lock(mutex_);
        existing.insert(title);
    }
    std::set<std::string> existing;

private:
    CallLog& log_;
    std::mutex mutex_;
    std::vector<Post> posts_;
};

// The keyboard's report calls, with the writes that matter for ordering
// (host state, reset, relay) in the shared log.
class LoggedFeature final : public IFeatureDevice {
public:
    LoggedFeature(FakeKeyboard& keyboard, CallLog& log) : keyboard_(keyboard), log_(log) {}
    bool SetFeature(std::span<const std::uint8_t> report) override {
        if (report.size() >= 3 && report[0] == 0x15) log_.Add("HostState " + std::to_string(report[2]));
        if (report.size() >= 4 && report[0] == 0x16)
            log_.Add("PactRelay " + std::to_string(report[2]) + " " + std::to_string(report[3]));
        return keyboard_.SetFeature(report);
    }
    bool GetFeature(std::span<std::uint8_t> buffer) override { return keyboard_.GetFeature(buffer); }

private:
    FakeKeyboard& keyboard_;
    CallLog& log_;
};

class FakeDevice final : public IDeviceLibrary {
public:
    FakeDevice(FakeKeyboard& keyboard, CallLog& log) : feature_(keyboard, log), log_(log) {}
    bool Load(std::string* error) override {
        log_.Add("LoadLibrary");
        if (!loads && error != nullptr) *error = "missing";
        return loads;
    }
    void Free() override { log_.Add("FreeLibrary"); }
    void OpenDevMonitor(Sink s, unsigned eventMsg, unsigned presenceMsg) override {
        log_.Add("OpenDevMonitor " + std::to_string(eventMsg) + " " + std::to_string(presenceMsg));
        sink = std::move(s);
    }
    void CloseDevMonitor() override { log_.Add("CloseDevMonitor"); }
    bool OpenFeatureDevice() override {
        log_.Add("OpenFeatureDevice");
        return opens;
    }
    void CloseFeatureDevice() override { log_.Add("CloseFeatureDevice"); }
    IFeatureDevice& Feature() override { return feature_; }

    bool loads = true;
    bool opens = true;
    Sink sink;

private:
    LoggedFeature feature_;
    CallLog& log_;
};

class FakeSettingsBlock final : public ISettingsBlock {
public:
    explicit FakeSettingsBlock(CallLog& log) : log_(log) { DefaultSettings(*content); }
    MutexCreation CreateMutex() override {
        log_.Add("CreateMutex");
        return mutexResult;
    }
    bool CreateBlock() override {
        log_.Add("CreateBlock");
        return blockCreated;
    }
    void PublishRecord(const SettingsRecord& record) override {
        std::lock_guard lock(mutex_);
        log_.Add("PublishRecord");
        *content = record;
        ++publishes;
    }
    bool CopyToRecord(SettingsRecord& record) override {
        std::lock_guard lock(mutex_);
        log_.Add("CopyToRecord");
        if (!copies) return false;
        record = *content;
        return true;
    }
    void CloseBlock() override { log_.Add("CloseBlock"); }
    void CloseMutex() override { log_.Add("CloseMutex"); }

    SettingsRecord Content() {
        std::lock_guard lock(mutex_);
        return *content;
    }
    // What a configuration program writes before it asks for an apply.
    template <typename Change>
    void Edit(Change edit) {
        std::lock_guard lock(mutex_);
        edit(*content);
    }

    MutexCreation mutexResult = MutexCreation::Created;
    bool blockCreated = true;
    bool copies = true;
    int publishes = 0;

private:
    CallLog& log_;
    std::mutex mutex_;
    std::unique_ptr<SettingsRecord> content = std::make_unique<SettingsRecord>();
};

class FakePactBlocks final : public IPactBlocks {
public:
    explicit FakePactBlocks(CallLog& log) : log_(log) {}
    bool OpenStatus() override {
        log_.Add("OpenPactStatus");
        statusOpen = statusExists;
        return statusOpen;
    }
    bool OpenAmbient() override {
        log_.Add("OpenAmbient");
        ambientOpen = ambientExists;
        return ambientOpen;
    }
    void CloseStatus() override {
        log_.Add("ClosePactStatus");
        statusOpen = false;
    }
    void CloseAmbient() override {
        log_.Add("CloseAmbient");
        ambientOpen = false;
    }
    bool ReadStatus(PactStatusRecord& record) override {
        if (!statusOpen) return false;
        record = status;
        return true;
    }
    bool WriteStatus(const PactStatusRecord& record) override {
        if (!statusOpen || statusWriteFails) return false;
        status = record;
        writes.push_back(record);
        return true;
    }
    bool ReadAmbient(AmbientLightRecord& record) override {
        if (!ambientOpen) return false;
        record = ambient;
        ++ambientReads;
        return true;
    }

    bool statusExists = false;
    bool statusWriteFails = false;  // its mutex cannot be had
    bool ambientExists = false;
    bool statusOpen = false;
    bool ambientOpen = false;
    PactStatusRecord status{};
    AmbientLightRecord ambient{};
    std::vector<PactStatusRecord> writes;
    int ambientReads = 0;

private:
    CallLog& log_;
};

class FakeFiles final : public IMonitorFiles {
public:
    explicit FakeFiles(CallLog& log) : log_(log) { DefaultSettings(*loaded); }
    void StoreFirmwareVersion(int version) override {
        firmware = version;
        log_.Add("FWVersion=" + std::to_string(version));
    }
    bool LoadSyncStamp(SyncStamp& out) override {
        std::lock_guard lock(mutex_);
        if (stamp) out = *stamp;
        return stamp.has_value();
    }
    void StoreSyncStamp(const SyncStamp& value) override {
        std::lock_guard lock(mutex_);
        stamp = value;
    }
    bool SaveRecord(const SettingsRecord& record) override {
        std::lock_guard lock(mutex_);
        log_.Add("SaveRecord");
        *saved = record;
        return true;
    }
    SettingsRecord Saved() {
        std::lock_guard lock(mutex_);
        return *saved;
    }
    void LoadRecord(SettingsRecord& record) override {
        log_.Add("LoadRecord");
        record = *loaded;
    }
    void LoadOsdSetting(OsdSetting& out) override {
        log_.Add("LoadOsd");
        out = osd;
    }
    void WriteDeviceState(int device) override { log_.Add("Device=" + std::to_string(device)); }
    void WriteCurrentProfile(int slot) override { log_.Add("CurrentProfile=" + std::to_string(slot)); }
    void WriteRepeatToRegistry(const ProfileRecord& profile) override {
        log_.Add("Registry " + std::to_string(profile.KBDelay) + " " + std::to_string(profile.KBSpeed));
    }
    std::optional<std::uint32_t> PackageFirmwareVersion() override { return packageVersion; }

    std::unique_ptr<SettingsRecord> loaded = std::make_unique<SettingsRecord>();
    std::unique_ptr<SettingsRecord> saved = std::make_unique<SettingsRecord>();
    OsdSetting osd{};
    std::optional<int> firmware;
    std::optional<SyncStamp> stamp;
    std::optional<std::uint32_t> packageVersion = 115;

private:
    CallLog& log_;
    std::mutex mutex_;
};

class FakeSession final : public ISessionNotifications {
public:
    explicit FakeSession(CallLog& log) : log_(log) {}
    bool Register(std::function<void(std::uint32_t, std::uint32_t)> callback) override {
        log_.Add("RegisterSession");
        ++attempts;
        onChange = std::move(callback);
        return reachable;
    }
    void Unregister() override { log_.Add("UnregisterSession"); }
    bool reachable = true;
    int attempts = 0;
    std::function<void(std::uint32_t msg, std::uint32_t code)> onChange;

private:
    CallLog& log_;
};

class FakeRate final : public IKeyboardRate {
public:
    explicit FakeRate(CallLog& log) : log_(log) {}
    bool Apply(int delay, int speed) override {
        log_.Add("Rate " + std::to_string(delay) + " " + std::to_string(speed));
        return true;
    }

private:
    CallLog& log_;
};

class FakeLauncher final : public ProcessLauncher {
public:
    explicit FakeLauncher(CallLog& log) : log_(log) {}
    bool StartProgram(const std::string& executable, const std::vector<std::string>& arguments) override {
        std::string entry = "Start " + executable.substr(executable.rfind("/program/") + 9);
        for (const auto& a : arguments) entry += " " + a;
        log_.Add(entry);
        return true;
    }
    bool OpenDocument(const std::string& target) override {
        log_.Add("Open " + target);
        return true;
    }

private:
    CallLog& log_;
};

class FakeMessageBox final : public IMessageBox {
public:
    explicit FakeMessageBox(CallLog& log) : log_(log) {}
    void Show(std::string_view text) override { log_.Add("MessageBox " + std::string(text)); }

private:
    CallLog& log_;
};

class FakeTray final : public ITrayIcon {
public:
    explicit FakeTray(CallLog& log) : log_(log) {}
    void Add() override {
        log_.Add("TrayAdd");
        shown = true;
    }
    void Remove() override {
        log_.Add("TrayRemove");
        shown = false;
    }
    void ShowMenu() override { log_.Add("TrayMenu"); }
    void RaisePopup() override { log_.Add("RaisePopup"); }
    bool shown = false;

private:
    CallLog& log_;
};

// ---- the host actions that other code carries out ----

class FakeActions final : public IMacroPlayer,
                          public IShortcutInput,
                          public ICountdown,
                          public IFeedbackSounds,
                          public IMediaControl,
                          public IDisplayText,
                          public IForegroundRule {
public:
    explicit FakeActions(CallLog& log) : log_(log) {}
    HostActions All() { return {this, this, this, this, this, this, this}; }

    bool StartOrAbortMacro(const MacroKeyInfo& entry) override {
        log_.Add("Macro " + std::to_string(entry.KeyIndex));
        return macroStarts;
    }
    void PlayPending() override {
        std::lock_guard lock(mutex_);
        ++played;
    }
    void PressShortcut(std::uint16_t word) override { log_.Add("PressShortcut " + std::to_string(word)); }
    void ReleaseShortcut(std::uint16_t word) override { log_.Add("ReleaseShortcut " + std::to_string(word)); }
    void TapShortcutKey(std::uint16_t word) override { log_.Add("TapShortcut " + std::to_string(word)); }
    void CountdownKey(int key, int phase, const MacroKeyInfo& entry, int /*soundVolume*/) override {
        log_.Add("Countdown " + std::to_string(key) + " " + std::to_string(phase) + " " +
                 std::to_string(entry.FunctionCode));
    }
    void Tick(int /*soundVolume*/) override { log_.Add("CountdownTick"); }
    bool IsFinalPhase() const override { return finalPhase; }
    void PlayFeedbackSound(int number, int volume) override {
        log_.Add("Sound " + std::to_string(number) + " " + std::to_string(volume));
    }
    void MediaFunction(std::uint8_t code, std::uint8_t release, int option) override {
        log_.Add("Media " + std::to_string(code) + " " + std::to_string(release) + " " + std::to_string(option));
    }
    void QuickLaunch(const MacroKeyInfo& entry) override {
        log_.Add("QuickLaunch " + std::string(entry.QuickLaunchPath));
    }
    void ShowDisplayText(std::string_view text, bool connected) override {
        log_.Add("Display " + std::string(text) + (connected ? " connected" : " away"));
    }
    void FollowForegroundProgram() override { log_.Add("Foreground"); }

    int Played() {
        std::lock_guard lock(mutex_);
        return played;
    }

    bool macroStarts = true;
    bool finalPhase = false;

private:
    CallLog& log_;
    std::mutex mutex_;
    int played = 0;
};

}  // namespace kelm::test
