#include "flash/UpdateEngine.h"

#include <array>

namespace kelm {

namespace {

constexpr std::array<int, 8> kStatusWaits{100, 100, 200, 400, 600, 1500, 500, 1500};

std::string StatusText(const StatusPoll& poll) {
    if (!poll.status) return "the keyboard's status could not be read";
    switch (*poll.status) {
        case kUpdateBusy:
            return "the keyboard was still busy after " + std::to_string(kStatusTries) + " status reads";
        case kUpdateRepeat:
            return "the keyboard asked for the command again " + std::to_string(kMaxRepeats) + " times";
        default:
            return "the keyboard answered status " + std::to_string(*poll.status) + " (failure)";
    }
}

}  // namespace

int WaitBeforeStatusTry(int t) { return kStatusWaits[static_cast<std::size_t>(t < 7 ? t : 7)]; }

void UpdateEngine::Wait(int ms) {
    for (int step = 0; step < ms / kUpdateWaitStepMs; ++step) clock_.SleepMs(kUpdateWaitStepMs);
}

StatusPoll UpdateEngine::WaitStatus() {
    StatusPoll poll;
    for (int t = 0; t < kStatusTries; ++t) {
        Wait(WaitBeforeStatusTry(t));
        ReportBytes answer(kUpdateStatusLength, 0);
        answer[0] = kUpdateStatusReportId;
        poll.tries = t + 1;
        const auto status = device_.GetFeature(answer) ? ParseUpdateStatus(answer) : std::nullopt;
        if (status) poll.status = status;
        poll.done = status == kUpdateDone;
        if (poll.status != kUpdateBusy) break;
    }
    return poll;
}

UpdateEngine::CommandResult UpdateEngine::SendCommand(const ReportBytes& report, int pauseMs) {
    for (int repeats = 0;; ++repeats) {
        if (!device_.SetFeature(report)) return {CommandEnd::NotSent, "the keyboard did not take the command", {}};
        Wait(pauseMs);
        const StatusPoll poll = WaitStatus();
        if (poll.done) return {CommandEnd::Done, {}, poll};
        // Repeated on request, but not for ever: a keyboard that asks again
        // and again is not going to take the command.
        if (poll.status != kUpdateRepeat || repeats == kMaxRepeats) return {CommandEnd::Failed, StatusText(poll), poll};
    }
}

UpdateResult UpdateEngine::RunUpdate(const FirmwareImage& image, IUpdateProgress& progress) {
    const auto failed = [](const std::string& step, const CommandResult& result) {
        return UpdateResult{false, step + ": " + result.why};
    };
    CommandResult result = SendCommand(BuildStartCommand(signatures_), kCommandPauseMs);
    if (result.end != CommandEnd::Done) return failed("start", result);
    Wait(kCommandPauseMs);
    result = SendCommand(BuildImageSizeCommand(image.Size(), signatures_), 0);
    if (result.end != CommandEnd::Done) return failed("image size", result);
    Wait(kCommandPauseMs);
    result = SendCommand(BuildPrepareCommand(), 0);
    if (result.end != CommandEnd::Done) return failed("prepare", result);
    Wait(kCommandPauseMs);

    const std::size_t blocks = image.Blocks();
    for (std::size_t n = 0; n < blocks; ++n) {
        const std::string block = "block " + std::to_string(n + 1) + " of " + std::to_string(blocks);
        result = SendCommand(BuildBlockHeaderCommand(static_cast<std::uint16_t>(n), image.Checksum(n), signatures_), 0);
        if (result.end != CommandEnd::Done) return failed(block + ", header", result);
        result = SendCommand(BuildBlockDataCommand(image.Block(n)), 0);
        if (result.end != CommandEnd::Done) return failed(block + ", data", result);
        progress.BlockWritten(n);
    }

    result = SendCommand(BuildFinishCommand(), kCommandPauseMs);
    const std::string written = std::to_string(image.Size()) + " bytes in " + std::to_string(blocks) + " blocks";
    if (result.end == CommandEnd::NotSent) return failed("finish", result);
    if (result.end == CommandEnd::Failed && result.poll.status && *result.poll.status != kUpdateBusy)
        return failed("finish", result);
    if (result.end == CommandEnd::Failed)
        return {true, "firmware written (" + written + "); the keyboard restarted without confirming the finish"};
    return {true, "firmware written (" + written + ")"};
}

std::optional<std::uint8_t> UpdateEngine::ReadLoaderVersion() {
    ReportBytes answer = ReadRequest(ReportId::FirmwareReport);
    if (!device_.GetFeature(answer)) return std::nullopt;
    return ParseLoaderVersion(answer);
}

std::string LoaderVersionText(std::optional<int> version) {
    if (!version || *version < 100 || *version > 500) return "N/A";
    std::string text = std::to_string(*version);
    text.insert(1, ".");
    return text;
}

}  // namespace kelm
