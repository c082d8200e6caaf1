// From a key pressed on the keyboard to the first key its macro types, as
// the focused window sees it: the real KelmWatch against KelmEmu, typing
// through XTest into a window of an Xvfb of the benchmark's own. Each round
// presses a macro key over KelmEmu's control socket and times the press
// from the moment the command leaves to the first key arriving at the window:
// KelmEmu raising the event, libdevbridge.so posting it to the monitor's
// window, the dispatch, the playback thread and the display. The benchmark
// also subscribes to KelmEmu's events as libdevbridge.so does, so the time
// from the event reaching a subscriber to the first key is the latency from
// devbridge's post, without KelmEmu's share. The baseline, measured in the
// same rounds, is a bare round trip of a control command to KelmEmu. Prints
// p50, p99 and max of each and the ratios (goal: p99 under 1 ms).
//   inject_latency [ROUNDS] [PROGRAM_FOLDER]   (default 200, the build's program folder; exits 77 without Xvfb)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/MonitorRun.h"
#include "bench/Samples.h"
#include "emulator/EmuWire.h"
#include "settings/SettingsRecord.h"
#include "suite/SharedSettings.h"
#include "tests/platform/TestClientWindow.h"
#include "tests/platform/TestServer.h"

namespace {

using namespace kelm;
using namespace std::chrono_literals;
using Milliseconds = std::chrono::duration<double, std::milli>;
using Clock = std::chrono::steady_clock;

constexpr int kWarmUpRounds = 5;

bool Control(emu::WireConnection& wire, const std::vector<std::string>& words) {
    std::string reply;
    return wire.Call(emu::FrameKind::Control, emu::JoinWords(words), reply, 5000) == emu::WireConnection::Status::Ok &&
           !reply.empty() && reply[0] == 1;
}

// The monitor's shared block holds the recorded macro of key 1: a pressed
// and released. Its own view of the record follows once the read-back job
// has saved the files.
bool MacroArrived(SharedSettings& block) {
    auto record = std::make_unique<SettingsRecord>();
    if (!block.Open() || !block.Read(*record) || !IsValidSlot(record->CurrentProfile)) return false;
    const MacroKeyInfo& key = record->Profiles[record->CurrentProfile].Keys[0];
    return key.FunctionCode == kFnMacro && key.EventCount == 2;
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds patience) {
    const auto deadline = Clock::now() + patience;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Notes when each keyboard event reaches a subscriber of KelmEmu's, on a
// thread of its own as libdevbridge.so's reader is.
class EventSubscriber {
public:
    explicit EventSubscriber(emu::WireConnection wire) : wire_(std::move(wire)) {
        reader_ = std::jthread([this](std::stop_token stop) {
            while (!stop.stop_requested()) {
                emu::Frame frame;
                const auto status = wire_.Receive(frame, 50);
                if (status == emu::WireConnection::Status::Timeout) continue;
                if (status != emu::WireConnection::Status::Ok) return;
                if (frame.kind != emu::FrameKind::Event) continue;
                const std::lock_guard lock(mutex_);
                arrivals_.push_back(Clock::now());
            }
        });
    }
    void Clear() {
        const std::lock_guard lock(mutex_);
        arrivals_.clear();
    }
    // The first event noted since the last call, waiting up to patience.
    std::optional<Clock::time_point> TakeFirst(std::chrono::milliseconds patience) {
        const auto deadline = Clock::now() + patience;
        while (Clock::now() < deadline) {
            {
                const std::lock_guard lock(mutex_);
                if (!arrivals_.empty()) {
                    const auto first = arrivals_.front();
                    arrivals_.clear();
                    return first;
                }
            }
            std::this_thread::sleep_for(1ms);
        }
        return std::nullopt;
    }

private:
    emu::WireConnection wire_;
    std::mutex mutex_;
    std::vector<Clock::time_point> arrivals_;
    std::jthread reader_;
};

void Print(const char* name, const bench::Samples& s) {
    std::printf("%-34s p50 %7.3f ms   p99 %7.3f ms   max %7.3f ms\n", name, s.Percentile(0.5), s.Percentile(0.99),
                s.Max());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::string programFolder = argc > 2 ? argv[2] : KELM_BENCH_PROGRAM_FOLDER;
    auto xvfb = test::XvfbServer::Start();
    if (!xvfb) {
        std::fprintf(stderr, "inject_latency: Xvfb is not installed or did not start\n");
        return 77;
    }
    auto client = test::TestClientWindow::Open(xvfb->Display());
    if (!client) {
        std::fprintf(stderr, "inject_latency: the test display cannot be used\n");
        return 1;
    }
    ::setenv("KELM_INJECT", "xtest", 1);
    std::string error;
    auto run = bench::MonitorRun::Start(programFolder, error, xvfb->Display());
    if (!run) {
        std::fprintf(stderr, "inject_latency: %s\n", error.c_str());
        return 1;
    }
    auto wire = emu::WireConnection::Connect(run->EmuSocket(), &error);
    if (!wire) {
        std::fprintf(stderr, "inject_latency: %s\n", error.c_str());
        return 1;
    }
    auto events = emu::WireConnection::Connect(run->EmuSocket(), &error);
    if (!events || events->Send(emu::FrameKind::Subscribe, "", 5000) != emu::WireConnection::Status::Ok) {
        std::fprintf(stderr, "inject_latency: cannot subscribe to KelmEmu's events\n");
        return 1;
    }
    EventSubscriber subscriber(std::move(*events));
    SharedSettings block;
    if (!Control(*wire, {"record", "3", "1", "0x04:1:1", "0x04:2:1"}) ||
        !WaitFor([&] { return MacroArrived(block); }, 15s)) {
        std::fprintf(stderr, "inject_latency: KelmWatch did not read the recorded macro back\n");
        return 1;
    }

    // The key types the macro once the monitor's view has it.
    const bool typing = WaitFor(
        [&] {
            client->Clear();
            const bool typed = Control(*wire, {"press", "1"}) && client->WaitForEvents(2, 200ms);
            return Control(*wire, {"release", "1"}) && typed;
        },
        15s);
    if (!typing) {
        std::fprintf(stderr, "inject_latency: the macro key types nothing\n");
        return 1;
    }

    subscriber.Clear();

    bench::Samples latency, fromEvent, roundTrip;
    for (int round = -kWarmUpRounds; round < rounds; ++round) {
        client->Clear();
        const auto pressed = Clock::now();
        if (!Control(*wire, {"press", "1"})) {
            std::fprintf(stderr, "inject_latency: KelmEmu refused the press\n");
            return 1;
        }
        const auto answered = Clock::now();
        if (!client->WaitForEvents(2, 5s)) {
            std::fprintf(stderr, "inject_latency: the macro did not arrive in round %d\n", round);
            return 1;
        }
        const auto firstKey = client->Events()[0].at;
        const auto eventAt = subscriber.TakeFirst(1s);
        if (!eventAt) {
            std::fprintf(stderr, "inject_latency: the press event did not reach the subscriber\n");
            return 1;
        }
        const auto released = Clock::now();
        if (!Control(*wire, {"release", "1"})) return 1;
        const auto releaseAnswered = Clock::now();
        subscriber.TakeFirst(1s);  // the release
        if (round >= 0) {
            latency.ms.push_back(Milliseconds(firstKey - pressed).count());
            fromEvent.ms.push_back(Milliseconds(firstKey - *eventAt).count());
            roundTrip.ms.push_back(Milliseconds(answered - pressed).count());
            roundTrip.ms.push_back(Milliseconds(releaseAnswered - released).count());
        }
        // The macro's thread has ended before the next press, which would
        // otherwise abort it.
        std::this_thread::sleep_for(20ms);
    }
    std::printf("%d presses of a macro key on KelmEmu; KelmWatch typing through XTest into an Xvfb window\n", rounds);
    Print("press -> first key at the window", latency);
    Print("event at a subscriber -> first key", fromEvent);
    Print("baseline: control round trip", roundTrip);
    std::printf("ratio press latency / round trip: p50 %.1f, p99 %.1f\n",
                latency.Percentile(0.5) / roundTrip.Percentile(0.5),
                latency.Percentile(0.99) / roundTrip.Percentile(0.99));
    std::printf("ratio latency from the event / round trip: p50 %.1f, p99 %.1f\n",
                fromEvent.Percentile(0.5) / roundTrip.Percentile(0.5),
                fromEvent.Percentile(0.99) / roundTrip.Percentile(0.99));
    return 0;
}
