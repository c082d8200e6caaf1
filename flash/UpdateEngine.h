// The update pass: the keyboard's update mode driven through the command
// report 0x1B and the status report 0x1C, with the prescribed waits, on a
// feature device and a clock handed in (a virtual clock in tests).
//
// One command:
//
//   Send ──sent──► [pause: 500 ms after start and finish] ──► Poll
//   Send ──not sent──► Failed
//   Poll ──status 1──► Done
//   Poll ──status 4, fewer than 50 repeats──► Send (the same report again)
//   Poll ──status 4 for the 50th repeat, or any other end──► Failed
//
// The status poll (WaitStatus): try t = 0..19 waits 100, 100, 200, 400, 600,
// 1500, 500 and then 1500 ms, in 100 ms sleeps, and reads the status. A read
// that fails leaves the status of the previous try in force (none before
// the first answer). The poll goes on while the status in force is 3 (busy):
// 20 busy tries are a failure, so is any status but 1, 3 and 4.
//
// The pass (RunUpdate):
//
//   start ─500 ms─► image size ─500 ms─► prepare ─500 ms─► for each block n:
//       header n ─► data n ─► progress(n)
//   ─► finish
//
// Any failed command ends the pass at once with failure. The finish decides
// the outcome only when the keyboard refuses it (a failure status, repeats
// used up, or a finish that cannot be sent); a keyboard that restarts into
// its new firmware and therefore answers no status, or stays busy, still
// completed every block, as the original program judges it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "flash/FirmwareImage.h"
#include "keyboard/Clock.h"
#include "keyboard/FeatureDevice.h"
#include "keyboard/FirmwareUpdate.h"

namespace kelm {

inline constexpr int kStatusTries = 20;
inline constexpr int kMaxRepeats = 50;
inline constexpr int kCommandPauseMs = 500;
inline constexpr int kUpdateWaitStepMs = 100;

// The wait before status try t (0-based).
int WaitBeforeStatusTry(int t);

struct StatusPoll {
    bool done = false;                   // status 1
    std::optional<std::uint8_t> status;  // the status in force at the end; none when no read succeeded
    int tries = 0;
};

struct UpdateResult {
    bool ok = false;
    std::string message;  // what happened, for the user
};

class IUpdateProgress {
public:
    virtual ~IUpdateProgress() = default;
    // Block n has been written (header and data both confirmed).
    virtual void BlockWritten(std::size_t block) = 0;
};

class UpdateEngine {
public:
    UpdateEngine(IFeatureDevice& device, IClock& clock, const UpdateSignatures& signatures)
        : device_(device), clock_(clock), signatures_(signatures) {}

    StatusPoll WaitStatus();
    UpdateResult RunUpdate(const FirmwareImage& image, IUpdateProgress& progress);
    // Byte 3 of the FirmwareReport; nothing when it cannot be read.
    std::optional<std::uint8_t> ReadLoaderVersion();

private:
    enum class CommandEnd { Done, NotSent, Failed };
    struct CommandResult {
        CommandEnd end;
        std::string why;  // for NotSent and Failed
        StatusPoll poll;
    };

    CommandResult SendCommand(const ReportBytes& report, int pauseMs);
    void Wait(int ms);

    IFeatureDevice& device_;
    IClock& clock_;
    UpdateSignatures signatures_;
};

// The loader version as the window shows it: "N/A" below 100, above 500 or
// unknown, else the number with a point after its first digit (103: "1.03").
std::string LoaderVersionText(std::optional<int> version);

}  // namespace kelm
