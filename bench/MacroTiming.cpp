// Macro playback timing as the focused window sees it: a 200-event macro
// with delays of 1..50 ms typed through XTest into a window of an Xvfb of
// the benchmark's own, by the monitor's MacroPlayer (every event due at the
// sum of the delays before it) and, in the same run, by a player that
// sleeps each delay after its event. For each: the error of every event's
// arrival against the schedule (counted from the first event's arrival),
// p50, p99 and max, and the drift of the last event; then the ratios of the
// sleeping player's figures to the MacroPlayer's.
//   macro_timing [ROUNDS]   (default 3; exits 77 without Xvfb)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "monitor/KeyCodeInput.h"
#include "monitor/MacroPlayer.h"
#include "monitor/PlaybackClock.h"
#include "platform/InputInjector.h"
#include "tests/platform/TestClientWindow.h"
#include "tests/platform/TestServer.h"

namespace {

using namespace kelm;
using namespace std::chrono_literals;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int kEvents = 200;

// Key a..z pressed and released in turn, each delay 1..50 ms from a fixed
// sequence, so every run types the same macro.
std::unique_ptr<MacroKeyInfo> BenchMacro() {
    auto entry = std::make_unique<MacroKeyInfo>();
    entry->FunctionCode = kFnMacro;
    entry->EventCount = kEvents;
    std::uint32_t state = 12345;
    for (int i = 0; i < kEvents; ++i) {
        state = state * 1103515245u + 12345u;
        const auto delay = static_cast<std::uint16_t>(1 + (state >> 16) % 50);
        const auto key = static_cast<std::uint8_t>(0x04 + (i / 2) % 26);
        entry->Events[i] = {key, static_cast<std::uint8_t>(i % 2 == 0 ? kActionPress : kActionRelease), delay};
    }
    return entry;
}

std::vector<double> ScheduleMs(const MacroKeyInfo& entry) {
    std::vector<double> due;
    double at = 0;
    for (int i = 0; i < kEvents; ++i) {
        due.push_back(at);
        at += entry.Events[i].Delay;
    }
    return due;
}

void SleepingPlayer(IInputInjector& injector, const MacroKeyInfo& entry) {
    for (int i = 0; i < kEvents; ++i) {
        const MacroEvent& event = entry.Events[i];
        InjectKeyCode(injector, event.KeyCode, event.Action == kActionPress);
        std::this_thread::sleep_for(std::chrono::milliseconds(event.Delay));
    }
}

struct Figures {
    std::vector<double> errorsMs;  // every event of every round
    std::vector<double> driftsMs;  // the last event of each round

    double Percentile(double p) const {
        std::vector<double> sorted = errorsMs;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1))];
    }
    double Max() const { return *std::max_element(errorsMs.begin(), errorsMs.end()); }
    double Drift() const {
        std::vector<double> sorted = driftsMs;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

bool Measure(test::TestClientWindow& client, const std::vector<double>& due, const std::function<void()>& play,
             Figures& figures) {
    client.Clear();
    play();
    if (!client.WaitForEvents(kEvents, 10s)) return false;
    const auto events = client.Events();
    for (int i = 0; i < kEvents; ++i) {
        const double error = Milliseconds(events[i].at - events[0].at).count() - due[i];
        figures.errorsMs.push_back(error);
        if (i == kEvents - 1) figures.driftsMs.push_back(error);
    }
    return true;
}

void Print(const char* name, const Figures& f) {
    std::printf("%-22s p50 %7.3f ms   p99 %7.3f ms   max %7.3f ms   drift of the last event %8.3f ms\n", name,
                f.Percentile(0.5), f.Percentile(0.99), f.Max(), f.Drift());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    auto xvfb = test::XvfbServer::Start();
    if (!xvfb) {
        std::fprintf(stderr, "macro_timing: Xvfb is not installed or did not start\n");
        return 77;
    }
    auto client = test::TestClientWindow::Open(xvfb->Display());
    auto injector = OpenXTestInjector(xvfb->Display().c_str());
    if (!client || !injector) {
        std::fprintf(stderr, "macro_timing: the test display cannot be used\n");
        return 1;
    }
    const auto entry = BenchMacro();
    const auto due = ScheduleMs(*entry);
    MacroPlayer player(*injector, SteadyPlaybackClock());

    Figures scheduled, sleeping;
    const auto playScheduled = [&] {
        player.StartOrAbortMacro(*entry);
        player.PlayPending();
    };
    const auto playSleeping = [&] { SleepingPlayer(*injector, *entry); };
    // The two take turns, so a change in the machine's load reaches both.
    for (int round = 0; round < rounds; ++round) {
        if (!Measure(*client, due, playScheduled, scheduled) || !Measure(*client, due, playSleeping, sleeping)) {
            std::fprintf(stderr, "macro_timing: events went missing\n");
            return 1;
        }
    }
    std::printf("macro of %d events, delays 1..50 ms, %.0f ms long; %d rounds; error = arrival - schedule\n", kEvents,
                due.back() + entry->Events[kEvents - 1].Delay, rounds);
    Print("MacroPlayer (deadlines)", scheduled);
    Print("sleep after each event", sleeping);
    std::printf("ratio sleeping / MacroPlayer: p50 %.1f, p99 %.1f, max %.1f, drift %.1f\n",
                sleeping.Percentile(0.5) / scheduled.Percentile(0.5),
                sleeping.Percentile(0.99) / scheduled.Percentile(0.99), sleeping.Max() / scheduled.Max(),
                sleeping.Drift() / scheduled.Drift());
    return 0;
}
