// The apply handshake as the configuration program sees it: a changed key
// group in KelmWatch's shared block and MSG_APPLY_SETTINGS sent to the real
// KelmWatch, timed from the send to the reply, while the monitor writes the
// group to KelmEmu (answering ready at once) through libdevbridge.so.
// Measured against the waits the protocol prescribes for exactly the reports
// that apply sends: the first wait of each write's ready poll, the pause
// after each settings report, and the synchronisation stamp that ends every
// apply. KelmEmu's log shows that exactly those reports went out. Prints
// both times and the ratio (goal: under 1.05).
//   apply_handshake [ROUNDS] [PROGRAM_FOLDER]   (default: 8, the build's program folder)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/MonitorRun.h"
#include "keyboard/ReportChannel.h"
#include "keyboard/Reports.h"
#include "keyboard/SettingsReports.h"
#include "platform/WindowClient.h"
#include "settings/Defaults.h"
#include "suite/SharedSettings.h"
#include "suite/SuiteIds.h"
#include "tests/support/EmuReportLog.h"
#include "tools/kelmctl/ChangeSummary.h"

namespace {

using namespace kelm;

constexpr int kFirstFKey = 36;
constexpr int kFKeys = 12;
constexpr std::uint8_t kFnCalculator = 0xC1;
constexpr std::uint8_t kFnStandard = 0xEF;

// What AbortableWait sleeps for ms: whole steps.
int SteppedMs(int ms) { return ms / kWaitStepMs * kWaitStepMs; }

struct Prescription {
    std::vector<std::uint8_t> writes;  // report ids, in the order WriteChangedSettings sends them
    int waitMs = 0;
};

// The reports an apply of these flags writes and the waits asked for them,
// with KelmEmu's ready at the first poll: settings reports (first wait and
// the pause after), then the stamp (first wait). Only settings reports are
// flagged here: no current profile, no macros.
Prescription Prescribe(const ChangeFlags& flags) {
    Prescription p;
    for (const SettingsReportStep& step : kSettingsReports)
        for (int profile = 0; profile < kProfileCount; ++profile) {
            if (!SettingsReportChanged(step.id, flags, profile)) continue;
            p.writes.push_back(static_cast<std::uint8_t>(step.id));
            p.waitMs += SteppedMs(WaitBeforePoll(1, InfoOf(step.id).firstWaitMs)) + SteppedMs(step.pauseAfterWriteMs);
        }
    p.writes.push_back(static_cast<std::uint8_t>(ReportId::SyncStampReport));
    p.waitMs += SteppedMs(WaitBeforePoll(1, InfoOf(ReportId::SyncStampReport).firstWaitMs));
    return p;
}

struct Round {
    double seconds;
    double prescribedSeconds;
    double Ratio() const { return seconds / prescribedSeconds; }
};

// One F key of the current profile changes between Calculator and its
// standard function, and the change is applied the way `kelmctl apply` does.
bool ApplyOneRound(bench::MonitorRun& run, SharedSettings& block, int index, Round& round, std::string& error) {
    const auto applied = std::make_unique<SettingsRecord>();
    if (!block.Read(*applied)) {
        error = "cannot read the shared block";
        return false;
    }
    const auto working = std::make_unique<SettingsRecord>(*applied);
    ClearChangeFlags(*working);
    const int profile = working->CurrentProfile;
    if (!IsValidSlot(profile)) {
        error = "the block names no current profile";
        return false;
    }
    MacroKeyInfo& key = working->Profiles[profile].Keys[kFirstFKey + index % kFKeys];
    key.FunctionCode = key.FunctionCode == kFnCalculator ? kFnStandard : kFnCalculator;
    ComputeChangeFlags(*applied, *working);
    ctl::MarkChangedKeys(*applied, *working);
    const Prescription prescription = Prescribe(working->Flags);
    if (!block.Write(*working) || run.Ctl({"reset-log"}).empty()) {
        error = "cannot prepare the apply";
        return false;
    }

    const auto start = std::chrono::steady_clock::now();
    const auto reply = SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, 0, 0);
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    round.prescribedSeconds = prescription.waitMs / 1000.0;

    const test::LoggedReports logged = test::ParseReportLog(run.Ctl({"log"}));
    if (!reply || *reply != 1)
        error = "KelmWatch did not answer that the keyboard took the apply";
    else if (logged.writes != prescription.writes || !logged.onlyStatusReads || !logged.allGood)
        error = "KelmEmu received " + test::ReportIdList(logged.writes) + "instead of " +
                test::ReportIdList(prescription.writes);
    return error.empty();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const std::string programFolder = argc > 2 ? argv[2] : KELM_BENCH_PROGRAM_FOLDER;
    std::string error;
    auto run = bench::MonitorRun::Start(programFolder, error);
    SharedSettings block;
    if (run && !block.Open()) error = "KelmWatch's shared block cannot be opened";
    std::vector<Round> measured;
    for (int i = 0; error.empty() && i < rounds; ++i) {
        Round round{};
        if (ApplyOneRound(*run, block, i, round, error)) measured.push_back(round);
    }
    run.reset();
    if (!error.empty()) {
        std::fprintf(stderr, "apply_handshake: %s\n", error.c_str());
        return 1;
    }

    std::printf("Apply of one F key (FKeyGroupReport + SyncStampReport) to KelmWatch against KelmEmu\n");
    std::printf("                          SendMessage to reply   prescribed waits   ratio\n");
    for (std::size_t i = 0; i < measured.size(); ++i)
        std::printf("  round %-2zu                 %8.3f s           %8.3f s         %6.4f\n", i + 1,
                    measured[i].seconds, measured[i].prescribedSeconds, measured[i].Ratio());
    std::sort(measured.begin(), measured.end(), [](const Round& a, const Round& b) { return a.Ratio() < b.Ratio(); });
    const Round& median = measured[measured.size() / 2];
    std::printf("  median                   %8.3f s           %8.3f s         %6.4f  (goal: under 1.05)\n",
                median.seconds, median.prescribedSeconds, median.Ratio());
    return 0;
}
