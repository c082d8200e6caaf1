#include "bench/EmuBench.h"

#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/MeteredClock.h"
#include "tests/support/Programs.h"

namespace kelm::bench {

namespace {

struct Round {
    double seconds;
    double prescribedSeconds;
    double Ratio() const { return seconds / prescribedSeconds; }
};

bool TimeRound(const DeviceLibrary& library, const EmuBench& bench, const std::string& root, Round& round) {
    DevBridgeFeatureDevice device(
        [&library](const unsigned char* report, unsigned length) { return library.SetFeature(report, length); },
        [&library](unsigned char* report, unsigned length) { return library.GetFeature(report, length); });
    MeteredClock clock;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = bench.round(device, clock, root);
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    round.prescribedSeconds = static_cast<double>(clock.AskedMs()) / 1000.0;
    return ok;
}

void Print(const char* title, std::vector<Round> rounds) {
    std::printf("%-44s measured   prescribed waits   ratio\n", title);
    for (std::size_t i = 0; i < rounds.size(); ++i)
        std::printf("  round %-36zu %8.3f s   %8.3f s         %6.4f\n", i + 1, rounds[i].seconds,
                    rounds[i].prescribedSeconds, rounds[i].Ratio());
    std::sort(rounds.begin(), rounds.end(), [](const Round& a, const Round& b) { return a.Ratio() < b.Ratio(); });
    const Round& median = rounds[rounds.size() / 2];
    std::printf("  %-42s %8.3f s   %8.3f s         %6.4f  (goal: under 1.05)\n", "median", median.seconds,
                median.prescribedSeconds, median.Ratio());
}

int Run(const std::string& programFolder, const std::string& root, const EmuBench& bench) {
    const std::string socket = root + "/emu.sock";
    const std::string runtime = root + "/run";
    std::filesystem::create_directories(root + "/program/config");
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    ::setenv("KELM_DEVICE", ("emu:" + socket).c_str(), 1);
    ::unsetenv("KELM_HOME");

    const pid_t emu = test::Spawn({programFolder + "/KelmEmu", "--socket", socket}, root + "/emu.log");
    if (emu <= 0 || !test::WaitForSocket(socket)) {
        std::fprintf(stderr, "%s: cannot start %s/KelmEmu\n", bench.name, programFolder.c_str());
        return 1;
    }
    std::string error;
    const DeviceLibrary library = DeviceLibrary::Load(programFolder, &error);
    if (!library) error += "\n";
    if (library && library.OpenFeatureDevice() == 0) error = "KelmEmu cannot be opened\n";
    if (error.empty() && bench.prepare && !bench.prepare(library)) error = "KelmEmu refused the preparation\n";
    std::vector<Round> rounds;
    for (int i = 0; i < bench.rounds && error.empty(); ++i) {
        Round round{};
        if (!TimeRound(library, bench, root, round)) error = "a round failed\n";
        rounds.push_back(round);
    }
    if (library) library.CloseFeatureDevice();
    ::kill(emu, SIGTERM);
    test::WaitExit(emu, 5000);
    if (!error.empty()) {
        std::fprintf(stderr, "%s: %s", bench.name, error.c_str());
        return 1;
    }
    Print(bench.title, rounds);
    return 0;
}

}  // namespace

int RunEmuBench(const std::string& programFolder, const EmuBench& bench) {
    std::string root = (std::filesystem::temp_directory_path() / "kelm-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) {
        std::fprintf(stderr, "%s: cannot make a temporary folder\n", bench.name);
        return 1;
    }
    const int status = Run(programFolder, root, bench);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return status;
}

}  // namespace kelm::bench
