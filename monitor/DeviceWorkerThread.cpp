#include "monitor/DeviceWorkerThread.h"

#include "monitor/MonitorIds.h"
#include "platform/Debug.h"

namespace kelm {

bool DeviceWorkerThread::Start() {
    return thread_.Start([this](ThreadMessageQueue& queue) {
        ThreadMessage message;
        while (queue.GetMessage(message)) Handle(message, jobs_, flags_);
    });
}

bool DeviceWorkerThread::PostJob(int job, std::intptr_t argument) {
    return thread_.PostThreadMessage(MSG_DEVICE_JOB, static_cast<std::uintptr_t>(job), argument);
}

void DeviceWorkerThread::AbortRunningJob() {
    if (flags_.jobBusy.load()) flags_.abortRequested.store(true);
}

void DeviceWorkerThread::Stop() { thread_.Stop(); }

void DeviceWorkerThread::Handle(const ThreadMessage& message, IDeviceJobs& jobs, DeviceFlags& flags) {
    if (message.msg != MSG_DEVICE_JOB) return;
    // The flag is cleared before the job counts as busy and the state is
    // tested after, so a removal either stops the job before it starts or
    // sees it busy and aborts it; it never loses its abort to the clearing.
    flags.abortRequested.store(false);
    flags.jobBusy.store(true);
    if (message.wParam == JOB_RECORD_TASK) {
        if (!flags.stopping.load()) jobs.RunRecordTask();
    } else if (flags.deviceState.load() == kDeviceConnected && !flags.stopping.load()) {
        switch (message.wParam) {
            case JOB_READ_ALL:
                jobs.ReadAll();
                break;
            case JOB_SEND_PROFILE:
                jobs.SendProfile();
                break;
            case JOB_MACRO_RECORD_STAGE:
                jobs.MacroRecordStage(static_cast<std::uint16_t>(message.lParam & 0xFFFF));
                break;
            default:
                break;
        }
        DebugOutput("DeviceWorkerThread: job %d ended%s\n", static_cast<int>(message.wParam),
                    flags.abortRequested.load() ? " (aborted)" : "");
    }
    flags.jobBusy.store(false);
}

}  // namespace kelm
