// A whole firmware update of 200 blocks (RunUpdate of KelmFlash's engine)
// against KelmEmu answering at once, through the real libdevbridge.so on
// the real clock, measured against the waits the update protocol prescribes
// for it: the pauses and status-poll waits it asks its clock for, summed in
// the same run. What the update costs beyond them is the 800 transfers of
// 1026 and 3 bytes. Prints both times and the ratio (goal: under 1.05).
//   flash_update [PROGRAM_FOLDER [ROUNDS]]   (default: the build's program folder, 1 round of about 43 s)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/EmuBench.h"
#include "flash/UpdateEngine.h"

namespace {

using namespace kelm;

class NoProgress final : public IUpdateProgress {
public:
    void BlockWritten(std::size_t) override {}
};

}  // namespace

int main(int argc, char** argv) {
    const FirmwareImage image = FirmwareImage::FromBytes(MakeTestImage(kMaxImageSize, 120));
    const auto update = [&image](IFeatureDevice& device, IClock& clock, const std::string&) {
        UpdateEngine engine(device, clock, kDefaultUpdateSignatures);
        NoProgress progress;
        const UpdateResult result = engine.RunUpdate(image, progress);
        if (!result.ok) std::fprintf(stderr, "flash_update: %s\n", result.message.c_str());
        return result.ok;
    };
    return bench::RunEmuBench(argc > 1 ? argv[1] : KELM_BENCH_PROGRAM_FOLDER,
                              {"flash_update", "Firmware update, 200 blocks, against KelmEmu",
                               argc > 2 ? std::max(1, std::atoi(argv[2])) : 1, nullptr, update});
}
