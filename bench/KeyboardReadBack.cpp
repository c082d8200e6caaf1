// The monitor's full read-back (KeyboardProtocol::ReadAllFromKeyboard, with
// its settings files saved) against KelmEmu answering ready at once, through
// the real libdevbridge.so on the real clock, measured against the waits the
// protocol prescribes for it: the pauses and first waits it asks its clock
// for, summed in the same run. Whatever the read-back costs beyond them is
// the transfers, the polls and the saving. Prints both times and the ratio
// (goal: under 1.05).
//   keyboard_readback [PROGRAM_FOLDER]   (default: the build's program folder)
#include <atomic>
#include <memory>
#include <string>

#include "bench/EmuBench.h"
#include "keyboard/KeyboardProtocol.h"
#include "keyboard/StoreSettingsFiles.h"
#include "settings/Defaults.h"
#include "tests/support/PreparedProfiles.h"

namespace {

using namespace kelm;

bool ReadBack(IFeatureDevice& device, IClock& clock, const std::string& root) {
    const std::atomic<bool> abort{false};
    auto record = std::make_unique<SettingsRecord>();
    DefaultSettings(*record);
    ClearChangeFlags(*record);
    StoreSettingsFiles files(StoreLocation::ForProgramFolder(root + "/program"));
    KeyboardProtocol protocol(device, clock, abort, *record, {files});
    const bool ok = protocol.ReadAllFromKeyboard();
    return ok && record->CurrentProfile == 3 && record->Profiles[4].Keys[30].EventCount == kMaxEvents;
}

}  // namespace

int main(int argc, char** argv) {
    // The prepared profiles of the integration tests: what a used keyboard holds.
    return bench::RunEmuBench(
        argc > 1 ? argv[1] : KELM_BENCH_PROGRAM_FOLDER,
        {"keyboard_readback", "Full read-back (10 macros) against KelmEmu", 3,
         [](const DeviceLibrary& library) { return test::WritePreparedProfiles(library); }, ReadBack});
}
