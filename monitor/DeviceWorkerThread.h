// DeviceWorkerThread: the long keyboard jobs, one after another in posting
// order, off the window's thread.
//
// Flags shared with the window thread (plain atomics, no lock):
//   DeviceState     jobs run only while it is 1; others are dropped, not queued
//                   (record tasks run in any state and look at it themselves)
//   JobBusy         set by the worker for the length of a job
//   AbortRequested  cleared by the worker before each job; raised by removal
//                   and shutdown while a job runs; every keyboard sequence
//                   tests it after each report and in every 100 ms wait step
//   Stopping        shutdown has begun: jobs still queued are dropped, so the
//                   shutdown waits for the job that runs and no other
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/ThreadMessageQueue.h"
#include "platform/WorkerThread.h"

namespace kelm {

struct DeviceFlags {
    std::atomic<int> deviceState{0};
    std::atomic<bool> jobBusy{false};
    std::atomic<bool> abortRequested{false};
    std::atomic<bool> stopping{false};
};

class IDeviceJobs {
public:
    virtual ~IDeviceJobs() = default;
    virtual void ReadAll() = 0;                                  // JOB_READ_ALL
    virtual void SendProfile() = 0;                              // JOB_SEND_PROFILE
    virtual void MacroRecordStage(std::uint16_t eventData) = 0;  // JOB_MACRO_RECORD_STAGE
    virtual void RunRecordTask() = 0;                            // JOB_RECORD_TASK
};

class DeviceWorkerThread {
public:
    DeviceWorkerThread(IDeviceJobs& jobs, DeviceFlags& flags) : jobs_(jobs), flags_(flags) {}

    bool Start();
    // False when the thread does not run; a job that is then dropped is not.
    bool PostJob(int job, std::intptr_t argument);
    // Raises AbortRequested, but only while a job runs.
    void AbortRunningJob();
    // WM_QUIT behind what is queued; waits without a time limit.
    void Stop();

    // Handles one thread message as the worker does.
    static void Handle(const ThreadMessage& message, IDeviceJobs& jobs, DeviceFlags& flags);

private:
    IDeviceJobs& jobs_;
    DeviceFlags& flags_;
    WorkerThread thread_;
};

}  // namespace kelm
