// A CMonitorWnd on fakes: a test creates it, delivers messages, fires the
// timers it set and reads the shared log.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "MonitorFakes.h"
#include "keyboard/DeviceEvents.h"
#include "monitor/CMonitorWnd.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm::test {

class MonitorTest : public ::testing::Test {
protected:
    MonitorPorts Ports(bool withTray = true) {
        MonitorPorts ports{.loop = loop,
                           .timers = timers,
                           .window = host,
                           .windows = windows,
                           .device = device,
                           .settingsBlock = block,
                           .pactBlocks = pact,
                           .files = files,
                           .session = session,
                           .keyboardRate = rate,
                           .launcher = launcher,
                           .clock = clock,
                           .tray = withTray ? &tray : nullptr,
                           .where = folder.Where(),
                           .actions = Actions(),
                           .pactMessages = PactMessages::Register(),
                           .onDestroyed = [this] { log.Add("LoopEnds"); }};
        return ports;
    }

    HostActions Actions() {
        HostActions all = actions.All();
        if (macroPlayer != nullptr) all.macro = macroPlayer;
        return all;
    }

    // Creates the window; the first read-back is left to the test.
    void Create(bool openSetupOnStart = false) {
        wnd = std::make_unique<CMonitorWnd>(Ports(), openSetupOnStart);
        ASSERT_TRUE(wnd->Create());
    }

    // Creates the window and lets the first read-back run to its end.
    void CreateAndSettle() {
        Create();
        if (timers.Running(TIMER_FIRST_READ)) {
            Fire(TIMER_FIRST_READ);
            WaitForHostState(1);
        }
        loop.RunPosted();
        log.Clear();
    }

    void Fire(unsigned id) {
        ASSERT_TRUE(timers.Running(id)) << "timer " << id << " is not running";
        wnd->OnTimer(id);
    }

    static WindowMessage Message(std::uint32_t msg, std::uint64_t wParam = 0, std::int64_t lParam = 0) {
        WindowMessage m;
        m.kind = MessageKind::Send;
        m.msg = msg;
        m.wParam = wParam;
        m.lParam = lParam;
        return m;
    }
    std::int64_t Send(std::uint32_t msg, std::uint64_t wParam = 0, std::int64_t lParam = 0) {
        return wnd->WindowProc(Message(msg, wParam, lParam));
    }

    // What the worker was asked to do is done, and what it posted back to
    // the window has run.
    void Settle() {
        wnd->WaitForWorker();
        loop.RunPosted();
    }

    // MSG_APPLY_SETTINGS as KelmSetup sends it: the answer that reaches the
    // sender once the worker is done, or nothing when none came.
    std::optional<std::int64_t> Apply(std::uint64_t wParam) {
        log.Clear();
        const std::int64_t immediate = Send(MSG_APPLY_SETTINGS, wParam);
        Settle();
        for (const std::string& entry : log.Entries())
            if (entry.rfind("Reply ", 0) == 0) return std::stoll(entry.substr(6));
        return immediate;
    }

    void Event(std::uint16_t type, std::uint16_t data) { Send(MSG_DEVICE_EVENT, type, data); }
    void Presence(std::uint64_t wParam) { Send(MSG_DEVICE_PRESENCE, wParam); }

    // The worker has written this host state; taking the protocol's lock
    // then waits for the rest of the job's sequence.
    void WaitForHostState(int value, int count = 1) {
        ASSERT_TRUE(Eventually([&] { return log.Count("HostState " + std::to_string(value)) >= count; }));
        wnd->WaitForWorker();
    }

    // Starts the first read-back and returns with its job held in its first
    // wait, where it stays until something raises the abort flag.
    void HoldTheReadBackInItsFirstWait() {
        auto jobWaiting = std::make_shared<std::atomic<bool>>(false);
        clock.SetSleepHook([this, jobWaiting](std::int64_t) {
            *jobWaiting = true;
            Eventually([&] { return wnd->Flags().abortRequested.load(); });
        });
        Fire(TIMER_FIRST_READ);
        ASSERT_TRUE(Eventually([&] { return jobWaiting->load(); }));
    }

    ProfileRecord& LoadedProfile(int slot) { return files.loaded->Profiles[slot]; }

    void TearDown() override {
        if (wnd) wnd->Destroy();
    }

    CallLog log;
    TempProgramFolder folder;
    VirtualClock clock;
    FakeKeyboard keyboard{clock};
    FakeLoop loop;
    FakeTimers timers{log};
    FakeWindowHost host{log};
    FakeWindows windows{log};
    FakeDevice device{keyboard, log};
    FakeSettingsBlock block{log};
    FakePactBlocks pact{log};
    FakeFiles files{log};
    FakeSession session{log};
    FakeRate rate{log};
    FakeLauncher launcher{log};
    FakeTray tray{log};
    FakeActions actions{log};
    IMacroPlayer* macroPlayer = nullptr;  // a real player instead of the fake
    std::unique_ptr<CMonitorWnd> wnd;
};

}  // namespace kelm::test
