// LoadAll and SaveAll on five fully used profiles in a temporary program
// folder, each against its floor (moving the files' bytes and finding
// their lines) and against the Windows way (the whole file read and parsed
// again for every key). Prints the times and the ratios. On a disk, saves
// wait mostly for the flush of each file; a folder on tmpfs (/dev/shm)
// shows the cost of the code itself.
//   settings_bench [folder in which to make the temporary program folder]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/Baselines.h"
#include "bench/FullRecord.h"
#include "bench/Timing.h"
#include "settings/Defaults.h"
#include "settings/SettingsStore.h"

namespace {

using namespace kelm;
using namespace kelm::bench;

constexpr int kRounds = 5;
constexpr double kRoundSeconds = 0.3;

// Keeps results alive so the compiler cannot drop the work that made them.
volatile std::size_t g_sink;

std::string MakeProgramFolder(const char* base) {
    std::string pattern = std::string(base) + "/kelm-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

void Report(const char* title, const TimedCase& store, const TimedCase& floor, const TimedCase& windows) {
    std::printf("%-40s %12s %12s\n", title, "fastest", "median");
    for (const TimedCase* c : {&store, &floor, &windows})
        std::printf("  %-38s %9.3f ms %9.3f ms  (%zu calls)\n", c->name.c_str(), c->Best() * 1e3, c->Median() * 1e3,
                    c->seconds.size());
    std::printf("  %-38s %12.2f %12.2f\n", (store.name + " / floor").c_str(), store.Best() / floor.Best(),
                store.Median() / floor.Median());
    std::printf("  %-38s %12.1f %12.1f\n", ("Windows way / " + store.name).c_str(), windows.Best() / store.Best(),
                windows.Median() / store.Median());
}

int Run(const std::string& folder) {
    StoreLocation where = StoreLocation::ForProgramFolder(folder);
    // Nothing of the user's own settings is touched.
    where.registryFile = where.programFolder + "registry/registry.ini";
    where.sharedFolder = where.programFolder + "shared/";

    auto full = std::make_unique<SettingsRecord>();
    ClearSettings(*full);
    FillFullRecord(*full);
    if (SaveAll(*full, where) != 1) {
        std::fprintf(stderr, "settings_bench: cannot write the settings below %s\n", folder.c_str());
        return 1;
    }
    const std::vector<std::string> files = StoreFiles(where);
    const std::vector<FileBytes> bytes = Snapshot(files);
    const std::vector<StoredValue> values = CollectValues(files);
    std::size_t total = 0;
    for (const FileBytes& f : bytes) total += f.bytes.size();
    std::printf("settings_bench: %zu files, %.2f MB, %zu keys, below %s\n", files.size(),
                static_cast<double>(total) / 1e6, values.size(), where.programFolder.c_str());

    auto loaded = std::make_unique<SettingsRecord>();
    ClearSettings(*loaded);
    TimedCase load{"LoadAll", [&] { g_sink = static_cast<std::size_t>(LoadAll(*loaded, where)); }};
    TimedCase readFloor{"floor: read, find line ends", [&] { g_sink = ReadFloor(files); }};
    TimedCase loadWindows{"Windows way: read+parse per key", [&] { g_sink = LoadWindowsWay(values); }};
    TimeCases({&load, &readFloor, &loadWindows}, kRounds, kRoundSeconds);
    if (std::memcmp(loaded->Profiles, full->Profiles, sizeof full->Profiles) != 0) {
        std::fprintf(stderr, "settings_bench: LoadAll did not give back what SaveAll wrote\n");
        return 1;
    }

    // Saves alternate between two records that differ in every value, so
    // that each SaveAll rewrites every file, as the floor does.
    auto changed = std::make_unique<SettingsRecord>(*full);
    ChangeEveryValue(*changed);
    bool written = true, flip = false;
    TimedCase save{"SaveAll", [&] {
                       flip = !flip;
                       written = SaveAll(flip ? *changed : *full, where) == 1 && written;
                   }};
    TimedCase writeFloor{"floor: write the same bytes", [&] { written = WriteFloor(bytes) && written; }};
    TimedCase saveWindows{"Windows way: read+parse+write per key",
                          [&] { written = SaveWindowsWay(values) && written; }};
    TimeCases({&save, &writeFloor, &saveWindows}, kRounds, kRoundSeconds);
    if (!written) {
        std::fprintf(stderr, "settings_bench: a write failed\n");
        return 1;
    }

    Report("Loading the whole record", load, readFloor, loadWindows);
    Report("Saving the whole record", save, writeFloor, saveWindows);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* base = argc > 1 ? argv[1] : std::getenv("TMPDIR");
    const std::string folder = MakeProgramFolder(base != nullptr && *base != '\0' ? base : "/tmp");
    if (folder.empty()) {
        std::perror("settings_bench: cannot make a temporary program folder");
        return 1;
    }
    const int status = Run(folder);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
