// The monitor's full read-back (KeyboardProtocol::ReadAllFromKeyboard, with
// its settings files saved) against KelmEmu answering ready at once, through
// the real libdevbridge.so on the real clock, measured against the waits the
// protocol prescribes for it: the pauses and first waits it asks its clock
// for, summed in the same run. Whatever the read-back costs beyond them is
// the transfers, the polls and the saving. Prints both times and the ratio
// (goal: under 1.05).
//   keyboard_readback [PROGRAM_FOLDER]   (default: the build's program folder)
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "keyboard/KeyboardProtocol.h"
#include "keyboard/StoreSettingsFiles.h"
#include "platform/DeviceLibrary.h"
#include "settings/Defaults.h"
#include "tests/support/PreparedProfiles.h"
#include "tests/support/Programs.h"

namespace {

using namespace kelm;

constexpr int kRounds = 3;

// The real clock, adding up every sleep asked of it.
class MeteredClock final : public IClock {
public:
    void SleepMs(int ms) override {
        if (ms > 0) askedMs_ += ms;
        clock_.SleepMs(ms);
    }
    std::time_t Now() override { return clock_.Now(); }
    std::int64_t AskedMs() const { return askedMs_; }

private:
    SystemClock clock_;
    std::int64_t askedMs_ = 0;
};

struct Round {
    double seconds;
    double prescribedSeconds;
    double Ratio() const { return seconds / prescribedSeconds; }
};

bool ReadBack(const DeviceLibrary& library, const StoreLocation& where, Round& round) {
    DevBridgeFeatureDevice device(
        [&library](const unsigned char* report, unsigned length) { return library.SetFeature(report, length); },
        [&library](unsigned char* report, unsigned length) { return library.GetFeature(report, length); });
    MeteredClock clock;
    const std::atomic<bool> abort{false};
    auto record = std::make_unique<SettingsRecord>();
    DefaultSettings(*record);
    ClearChangeFlags(*record);
    StoreSettingsFiles files(where);
    KeyboardProtocol protocol(device, clock, abort, *record, {files});
    const auto start = std::chrono::steady_clock::now();
    const bool ok = protocol.ReadAllFromKeyboard();
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    round.prescribedSeconds = static_cast<double>(clock.AskedMs()) / 1000.0;
    return ok && record->CurrentProfile == 3 && record->Profiles[4].Keys[30].EventCount == kMaxEvents;
}

int Run(const std::string& programFolder, const std::string& root) {
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
        std::fprintf(stderr, "keyboard_readback: cannot start %s/KelmEmu\n", programFolder.c_str());
        return 1;
    }
    std::string error;
    const DeviceLibrary library = DeviceLibrary::Load(programFolder, &error);
    if (!library) error += "\n";
    if (library && library.OpenFeatureDevice() == 0) error = "KelmEmu cannot be opened\n";
    // The prepared profiles of the integration tests: what a used keyboard holds.
    if (error.empty() && !test::WritePreparedProfiles(library)) error = "KelmEmu refused the prepared profiles\n";
    std::vector<Round> rounds;
    const StoreLocation where = StoreLocation::ForProgramFolder(root + "/program");
    for (int i = 0; i < kRounds && error.empty(); ++i) {
        Round round{};
        if (!ReadBack(library, where, round)) error = "a read-back failed\n";
        rounds.push_back(round);
    }
    library.CloseFeatureDevice();
    ::kill(emu, SIGTERM);
    test::WaitExit(emu, 5000);
    if (!error.empty()) {
        std::fprintf(stderr, "keyboard_readback: %s", error.c_str());
        return 1;
    }

    std::printf("Full read-back (10 macros) against KelmEmu    measured   prescribed waits   ratio\n");
    for (std::size_t i = 0; i < rounds.size(); ++i)
        std::printf("  round %zu                                   %8.3f s   %8.3f s         %6.4f\n", i + 1,
                    rounds[i].seconds, rounds[i].prescribedSeconds, rounds[i].Ratio());
    std::sort(rounds.begin(), rounds.end(), [](const Round& a, const Round& b) { return a.Ratio() < b.Ratio(); });
    const Round& median = rounds[rounds.size() / 2];
    std::printf("  median                                    %8.3f s   %8.3f s         %6.4f  (goal: under 1.05)\n",
                median.seconds, median.prescribedSeconds, median.Ratio());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string programFolder = argc > 1 ? argv[1] : KELM_BENCH_PROGRAM_FOLDER;
    std::string root = (std::filesystem::temp_directory_path() / "kelm-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("keyboard_readback: cannot make a temporary folder");
        return 1;
    }
    const int status = Run(programFolder, root);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return status;
}
