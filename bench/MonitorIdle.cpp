// What KelmWatch costs while nothing happens: started against KelmEmu with
// its start-up read-back over, its CPU time (user + system, all threads)
// over an idle period and its resident memory (now and at its peak),
// against a trivial idle process (`sleep`) started the same way and
// watched over the same period. Prints CPU seconds per minute and memory,
// absolute and as ratios to the baseline.
//   monitor_idle [SECONDS] [PROGRAM_FOLDER]   (default: 60, the build's program folder)
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "bench/MonitorRun.h"
#include "tests/support/Programs.h"

namespace {

using namespace kelm;

// utime + stime in clock ticks, from /proc/<pid>/stat (fields 14 and 15);
// the command name in field 2 may hold blanks, so fields count from its ')'.
std::optional<long long> CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int n = 3; n <= 13; ++n) fields >> field;  // state .. cmajflt
    if (!(fields >> utime >> stime)) return std::nullopt;
    return utime + stime;
}

// A "VmRSS:" or "VmHWM:" line of /proc/<pid>/status, in kB.
std::optional<long long> StatusKb(pid_t pid, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, key.size(), key) == 0) return std::atoll(line.c_str() + key.size());
    return std::nullopt;
}

struct Figures {
    double cpuSecondsPerMinute = 0;
    long long rssKb = 0;
    long long hwmKb = 0;
};

struct Watched {
    pid_t pid;
    long long startTicks = 0;
};

std::optional<Figures> Finish(const Watched& w, double seconds) {
    const auto ticks = CpuTicks(w.pid);
    const auto rss = StatusKb(w.pid, "VmRSS:");
    const auto hwm = StatusKb(w.pid, "VmHWM:");
    if (!ticks || !rss || !hwm) return std::nullopt;
    const double cpu = static_cast<double>(*ticks - w.startTicks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    return Figures{cpu * 60.0 / seconds, *rss, *hwm};
}

std::string Ratio(double value, double baseline) {
    char text[48];
    if (baseline > 0)
        std::snprintf(text, sizeof text, "%8.2f", value / baseline);
    else
        std::snprintf(text, sizeof text, "     n/a (baseline below one tick)");
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const std::string programFolder = argc > 2 ? argv[2] : KELM_BENCH_PROGRAM_FOLDER;
    std::string error;
    auto run = bench::MonitorRun::Start(programFolder, error);
    if (!run) {
        std::fprintf(stderr, "monitor_idle: %s\n", error.c_str());
        return 1;
    }
    const pid_t idle = run->SpawnAlike({"/bin/sleep", std::to_string(seconds + 60)}, "sleep.log");
    // Let the baseline get past its start before either is watched.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Watched monitor{run->Monitor()}, baseline{idle};
    const auto monitorStart = CpuTicks(monitor.pid), baselineStart = CpuTicks(baseline.pid);
    std::optional<Figures> monitorFigures, baselineFigures;
    if (idle > 0 && monitorStart && baselineStart) {
        monitor.startTicks = *monitorStart;
        baseline.startTicks = *baselineStart;
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        monitorFigures = Finish(monitor, elapsed);
        baselineFigures = Finish(baseline, elapsed);
    }
    if (idle > 0) {
        ::kill(idle, SIGTERM);
        test::WaitExit(idle, 5000);
    }
    run.reset();
    if (!monitorFigures || !baselineFigures) {
        std::fprintf(stderr, "monitor_idle: the processes could not be watched (did KelmWatch end?)\n");
        return 1;
    }

    const Figures& m = *monitorFigures;
    const Figures& b = *baselineFigures;
    std::printf("KelmWatch idle against KelmEmu for %d s, headless   KelmWatch    sleep      ratio\n", seconds);
    std::printf("  CPU (user + system) per minute               %8.3f s %8.3f s %s\n", m.cpuSecondsPerMinute,
                b.cpuSecondsPerMinute, Ratio(m.cpuSecondsPerMinute, b.cpuSecondsPerMinute).c_str());
    std::printf("  resident memory (VmRSS)                      %7lld kB %6lld kB %s\n", m.rssKb, b.rssKb,
                Ratio(static_cast<double>(m.rssKb), static_cast<double>(b.rssKb)).c_str());
    std::printf("  peak resident memory (VmHWM)                 %7lld kB %6lld kB %s\n", m.hwmKb, b.hwmKb,
                Ratio(static_cast<double>(m.hwmKb), static_cast<double>(b.hwmKb)).c_str());
    return 0;
}
