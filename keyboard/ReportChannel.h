// The basic report operations every keyboard sequence is built from: the
// abortable wait, the ready poll after a write, plain reads, select-then-read
// and writes. Every wait is cut into 100 ms steps that test the abort flag,
// so a raised flag ends any operation within 100 ms.
#pragma once

#include <atomic>
#include <cstdint>

#include "keyboard/Clock.h"
#include "keyboard/FeatureDevice.h"
#include "keyboard/Reports.h"

namespace kelm {

inline constexpr int kWaitStepMs = 100;
inline constexpr int kMaxReadyPolls = 10;

// Wait before ready poll 1..10: the report's first wait, then 1000, 1500 and
// 2000 ms for each further poll.
int WaitBeforePoll(int poll, int firstWaitMs);

class ReportChannel {
public:
    ReportChannel(IFeatureDevice& device, IClock& clock, const std::atomic<bool>& abortRequested)
        : device_(device), clock_(clock), abortRequested_(abortRequested) {}

    bool Aborted() const { return abortRequested_.load(); }

    // ms / 100 steps, each stopping at once on abort before sleeping 100 ms
    // (less than 100 ms therefore does not wait). True when no abort was
    // found, the last test made after the final step.
    bool AbortableWait(int ms);

    // The ready poll after a write:
    //
    //   Waiting --wait done--> Polling --status 3, fewer than 10 polls--> Waiting
    //   Waiting --abort found after the wait--> NotReady
    //   Polling --status 1--> Ready
    //   Polling --any other status, or 10 polls made--> NotReady
    //
    // A status read that fails counts as not ready for its poll and leaves the
    // status of the previous poll in force (none before the first answer).
    bool WaitReady(int firstWaitMs);

    // A plain read into a zeroed buffer of the report's length; true when the
    // device delivered it (the caller's parser judges the content).
    bool Read(ReportId id, ReportBytes& out);
    // Selects what the next read returns, waits for the keyboard, then reads.
    // A failed select does not stop the read; an abort during the wait does.
    bool SelectAndRead(std::uint8_t profile, std::uint8_t selectCode, ReportId id, ReportBytes& out);
    // Sends the report and, when it went out, polls with its first wait. A
    // report of an id the keyboard does not know is not sent.
    bool Write(const ReportBytes& report);

private:
    IFeatureDevice& device_;
    IClock& clock_;
    const std::atomic<bool>& abortRequested_;
};

}  // namespace kelm
