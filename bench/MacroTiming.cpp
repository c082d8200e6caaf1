// Macro playback timing as the focused window sees it: a 200-event macro
// with delays of 1..50 ms typed through XTest into a window of an Xvfb of
// the benchmark's own, by the monitor's MacroPlayer (every event due at the
// sum of the delays before it) and, in the same run, by a player that
// sleeps each delay after its event. For each: the error of every event's
// arrival against the schedule (counted from the first event's arrival),
// p50, p99 and max, and the drift of the last event; then the ratios of the
// sleeping player's figures to the MacroPlayer's.
// The time each event leaves the player is noted too, which splits the
// player's lateness from the display's delivery.
//   macro_timing [ROUNDS]   (default 3; exits 77 without Xvfb)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/Samples.h"
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

// Notes when each event leaves the player, so the figures split the
// player's own lateness from the display's delivery.
class TimedInjector final : public IInputInjector {
public:
    explicit TimedInjector(IInputInjector& inner) : inner_(inner) {}
    void KeyDown(std::uint16_t code) override { Note(), inner_.KeyDown(code); }
    void KeyUp(std::uint16_t code) override { Note(), inner_.KeyUp(code); }
    void ButtonDown(MouseButton button) override { Note(), inner_.ButtonDown(button); }
    void ButtonUp(MouseButton button) override { Note(), inner_.ButtonUp(button); }
    std::vector<std::chrono::steady_clock::time_point> sent;

private:
    void Note() { sent.push_back(std::chrono::steady_clock::now()); }
    IInputInjector& inner_;
};

void SleepingPlayer(IInputInjector& injector, const MacroKeyInfo& entry) {
    for (int i = 0; i < kEvents; ++i) {
        const MacroEvent& event = entry.Events[i];
        InjectKeyCode(injector, event.KeyCode, event.Action == kActionPress);
        std::this_thread::sleep_for(std::chrono::milliseconds(event.Delay));
    }
}

// Errors of one player: every event of every round, and the last event of
// each round (the drift).
struct Errors {
    bench::Samples all;
    bench::Samples last;

    void Add(const std::vector<std::chrono::steady_clock::time_point>& at, const std::vector<double>& due) {
        for (int i = 0; i < kEvents; ++i) {
            const double error = Milliseconds(at[i] - at[0]).count() - due[i];
            all.ms.push_back(error);
            if (i == kEvents - 1) last.ms.push_back(error);
        }
    }
    double Percentile(double p) const { return all.Percentile(p); }
    double Max() const { return all.Max(); }
    double Drift() const { return last.Percentile(0.5); }
};

struct Figures {
    Errors arrived;  // at the window
    Errors sent;     // leaving the player
};

bool Measure(test::TestClientWindow& client, TimedInjector& timed, const std::vector<double>& due,
             const std::function<void()>& play, Figures& figures) {
    client.Clear();
    timed.sent.clear();
    play();
    if (!client.WaitForEvents(kEvents, 10s) || timed.sent.size() != static_cast<std::size_t>(kEvents)) return false;
    std::vector<std::chrono::steady_clock::time_point> arrived;
    for (const auto& event : client.Events()) arrived.push_back(event.at);
    figures.arrived.Add(arrived, due);
    figures.sent.Add(timed.sent, due);
    return true;
}

void Print(const char* name, const Errors& e) {
    std::printf("%-32s p50 %7.3f ms   p99 %7.3f ms   max %7.3f ms   drift of the last event %8.3f ms\n", name,
                e.Percentile(0.5), e.Percentile(0.99), e.Max(), e.Drift());
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
    TimedInjector timed(*injector);
    MacroPlayer player(timed, SteadyPlaybackClock());

    Figures scheduled, sleeping;
    const auto playScheduled = [&] {
        player.StartOrAbortMacro(*entry);
        player.PlayPending();
    };
    const auto playSleeping = [&] { SleepingPlayer(timed, *entry); };
    // The two take turns, so a change in the machine's load reaches both.
    for (int round = 0; round < rounds; ++round) {
        if (!Measure(*client, timed, due, playScheduled, scheduled) ||
            !Measure(*client, timed, due, playSleeping, sleeping)) {
            std::fprintf(stderr, "macro_timing: events went missing\n");
            return 1;
        }
    }
    std::printf("macro of %d events, delays 1..50 ms, %.0f ms long; %d rounds; error = arrival - schedule\n", kEvents,
                due.back() + entry->Events[kEvents - 1].Delay, rounds);
    Print("MacroPlayer (deadlines), arrived", scheduled.arrived);
    Print("MacroPlayer (deadlines), sent", scheduled.sent);
    Print("sleep after each event, arrived", sleeping.arrived);
    Print("sleep after each event, sent", sleeping.sent);
    const Errors& a = scheduled.arrived;
    const Errors& b = sleeping.arrived;
    std::printf("ratio sleeping / MacroPlayer (arrived): p50 %.1f, p99 %.1f, max %.1f, drift %.1f\n",
                b.Percentile(0.5) / a.Percentile(0.5), b.Percentile(0.99) / a.Percentile(0.99), b.Max() / a.Max(),
                b.Drift() / a.Drift());
    return 0;
}
