#include "keyboard/ReportChannel.h"

#include <optional>

namespace kelm {

int WaitBeforePoll(int poll, int firstWaitMs) {
    if (poll <= 1) return firstWaitMs;
    if (poll == 2) return 1000;
    if (poll == 3) return 1500;
    return 2000;
}

bool ReportChannel::AbortableWait(int ms) {
    for (int step = 0; step < ms / kWaitStepMs; ++step) {
        if (Aborted()) return false;
        clock_.SleepMs(kWaitStepMs);
    }
    return !Aborted();
}

bool ReportChannel::WaitReady(int firstWaitMs) {
    std::optional<std::uint8_t> statusInForce;
    bool ready = false;
    for (int poll = 1; poll <= kMaxReadyPolls; ++poll) {
        if (!AbortableWait(WaitBeforePoll(poll, firstWaitMs))) return false;
        ReportBytes answer;
        const std::optional<std::uint8_t> status =
            Read(ReportId::ControlReport, answer) ? ParseControlStatus(answer) : std::nullopt;
        if (status) statusInForce = status;
        ready = status == kStatusReady;
        if (statusInForce != kStatusBusy) break;
    }
    return ready;
}

bool ReportChannel::Read(ReportId id, ReportBytes& out) {
    out = ReadRequest(id);
    return device_.GetFeature(out);
}

bool ReportChannel::SelectAndRead(std::uint8_t profile, std::uint8_t selectCode, ReportId id, ReportBytes& out) {
    if (device_.SetFeature(BuildControlSelect(profile, selectCode))) {
        WaitReady(InfoOf(ReportId::ControlReport).firstWaitMs);
    }
    if (Aborted()) return false;
    return Read(id, out);
}

bool ReportChannel::Write(const ReportBytes& report) {
    const ReportInfo* info = report.empty() ? nullptr : FindReportInfo(report[0]);
    if (info == nullptr || !device_.SetFeature(report)) return false;
    return WaitReady(info->firstWaitMs);
}

}  // namespace kelm
