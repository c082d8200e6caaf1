// KelmSetup from its start to its first painted main window, as a user
// starting it sees it: an Xvfb of the benchmark's own, the real KelmWatch
// running against KelmEmu (so KelmSetup maps the monitor's shared block
// and loads its skin), KelmSetup run with KELM_DEBUG set, timed from the
// spawn to its "first paint" line on standard error. The baseline, measured
// in the same rounds, is bare_window: one Qt Widgets window of the same
// size, timed the same way. Both are started once before the rounds, so the
// page cache and the font cache are as a second start finds them. Prints p50
// and max of each and their ratio (goal: at most 2).
//   setup_first_paint [ROUNDS] [PROGRAM_FOLDER]   (default 10, the build's program folder; exits 77 without Xvfb)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/MonitorRun.h"
#include "bench/Samples.h"
#include "platform/UniqueFd.h"
#include "platform/WindowClient.h"
#include "platform/WindowMessage.h"
#include "suite/SharedSettings.h"
#include "suite/SuiteIds.h"
#include "tests/platform/TestServer.h"
#include "tests/support/Programs.h"

extern char** environ;

namespace {

using namespace kelm;
using namespace std::chrono_literals;
using Milliseconds = std::chrono::duration<double, std::milli>;
using Clock = std::chrono::steady_clock;

constexpr auto kPaintPatience = 30s;
constexpr int kExitPatienceMs = 10000;

// The environment the programs are started with: the benchmark's (the
// monitor's folders and display), their diagnostic lines on, and Qt on the
// X display whatever the caller's session prefers.
class ChildEnvironment {
public:
    ChildEnvironment() {
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view text = *entry;
            if (!text.starts_with("KELM_DEBUG=") && !text.starts_with("QT_QPA_PLATFORM=")) strings_.push_back(*entry);
        }
        strings_.push_back("KELM_DEBUG=1");
        strings_.push_back("QT_QPA_PLATFORM=xcb");
        for (std::string& entry : strings_) pointers_.push_back(entry.data());
        pointers_.push_back(nullptr);
    }
    char** Get() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

struct Child {
    pid_t pid = -1;
    UniqueFd err;  // the read end of the child's standard error
};

// The child's standard output goes to /dev/null, its standard error into a
// pipe read here; -1 as pid when it cannot be started.
Child SpawnReadingErrors(const std::string& program, ChildEnvironment& environment) {
    Child child;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return child;
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), STDERR_FILENO);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environment.Get());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return child;
    child.pid = pid;
    child.err = std::move(readEnd);
    return child;
}

// Reads fd until marker has come or the deadline: the time it was read, or
// nothing. What was read is kept in seen, for the report of a failure.
std::optional<Clock::time_point> WaitForLine(int fd, std::string_view marker, Clock::time_point deadline,
                                             std::string& seen) {
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) != 1) return std::nullopt;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) return std::nullopt;
        const auto at = Clock::now();
        seen.append(buffer, static_cast<std::size_t>(got));
        if (seen.find(marker) != std::string::npos) return at;
    }
}

// Reads what the child still writes until it closes its end, so a child
// with much to say on its way out is never blocked on a full pipe.
void DrainUntilClosed(int fd, Clock::time_point deadline) {
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) != 1) return;
        if (::read(fd, buffer, sizeof buffer) <= 0) return;
    }
}

void Reap(pid_t pid) {
    if (test::WaitExit(pid, kExitPatienceMs) >= 0) return;
    ::kill(pid, SIGKILL);
    test::WaitExit(pid, 2000);
}

struct Program {
    const char* name;
    std::string path;
    std::string_view marker;
    // Ends the program once its first frame is shown; bare_window ends by itself.
    void (*close)(pid_t);
};

// As the window manager's close would: KelmSetup ends as on Cancel.
void CloseSetup(pid_t pid) {
    if (!PostMessage(kSetupTitle, WM_CLOSE, 0, 0)) ::kill(pid, SIGTERM);
}

// Milliseconds from the spawn to the first frame shown; nothing, with the
// reason printed, when it did not come.
std::optional<double> TimeFirstPaint(const Program& program, ChildEnvironment& environment) {
    const auto started = Clock::now();
    Child child = SpawnReadingErrors(program.path, environment);
    if (child.pid <= 0) {
        std::fprintf(stderr, "setup_first_paint: cannot start %s\n", program.path.c_str());
        return std::nullopt;
    }
    std::string seen;
    const auto painted = WaitForLine(child.err.Get(), program.marker, started + kPaintPatience, seen);
    if (painted && program.close != nullptr) program.close(child.pid);
    if (!painted) ::kill(child.pid, SIGTERM);
    DrainUntilClosed(child.err.Get(), Clock::now() + std::chrono::milliseconds(kExitPatienceMs));
    Reap(child.pid);
    if (!painted) {
        std::fprintf(stderr, "setup_first_paint: %s showed no first frame; it said:\n%s\n", program.name, seen.c_str());
        return std::nullopt;
    }
    return Milliseconds(*painted - started).count();
}

void Print(const char* name, const bench::Samples& s) {
    std::printf("%-36s p50 %8.1f ms   max %8.1f ms\n", name, s.Percentile(0.5), s.Max());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string programFolder = argc > 2 ? argv[2] : KELM_BENCH_PROGRAM_FOLDER;
    auto xvfb = test::XvfbServer::Start();
    if (!xvfb) {
        std::fprintf(stderr, "setup_first_paint: Xvfb is not installed or did not start\n");
        return 77;
    }
    std::string error;
    auto run = bench::MonitorRun::Start(programFolder, error, xvfb->Display());
    if (!run) {
        std::fprintf(stderr, "setup_first_paint: %s\n", error.c_str());
        return 1;
    }
    if (!run->Share("Skin") || !run->Share("help")) {
        std::fprintf(stderr, "setup_first_paint: cannot link Skin/ and help/ into the program folder\n");
        return 1;
    }
    // KelmSetup inherits this environment: the block it maps is reachable.
    if (SharedSettings block; !block.Open()) {
        std::fprintf(stderr, "setup_first_paint: KelmWatch's shared block cannot be mapped\n");
        return 1;
    }

    ChildEnvironment environment;
    const Program setup{"KelmSetup", programFolder + "/KelmSetup", "CSetupDlg: first paint\n", CloseSetup};
    const Program bare{"bare_window", KELM_BENCH_BARE_WINDOW, "BareWindow: first paint\n", nullptr};
    bench::Samples setupTimes, bareTimes;
    // Round -1 warms the caches. The two take turns, each first every other
    // round, so a change in the machine's load reaches both.
    for (int round = -1; round < rounds; ++round) {
        const bool setupFirst = round % 2 == 0;
        const Program* order[] = {setupFirst ? &setup : &bare, setupFirst ? &bare : &setup};
        for (const Program* program : order) {
            const auto ms = TimeFirstPaint(*program, environment);
            if (!ms) return 1;
            if (round >= 0) (program == &setup ? setupTimes : bareTimes).ms.push_back(*ms);
        }
    }

    std::printf("start to first painted window under Xvfb, KelmWatch running; %d rounds after a warm-up\n", rounds);
    Print("KelmSetup main window", setupTimes);
    Print("baseline: bare Qt Widgets window", bareTimes);
    std::printf("ratio KelmSetup / bare window: p50 %.2f, max %.2f (goal: at most 2)\n",
                setupTimes.Percentile(0.5) / bareTimes.Percentile(0.5), setupTimes.Max() / bareTimes.Max());
    return 0;
}
