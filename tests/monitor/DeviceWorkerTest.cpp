// DeviceWorkerThread's rules: jobs only while the keyboard is connected,
// in posting order, and the busy and abort flags around each job.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "MonitorFakes.h"
#include "monitor/DeviceWorkerThread.h"
#include "monitor/MacroPlaybackThread.h"
#include "monitor/MonitorIds.h"

namespace kelm::test {
namespace {

class RecordingJobs final : public IDeviceJobs {
public:
    explicit RecordingJobs(DeviceFlags& flags) : flags_(flags) {}
    void ReadAll() override { Record("ReadAll"); }
    void SendProfile() override { Record("SendProfile"); }
    void MacroRecordStage(std::uint16_t data) override { Record("Stage " + std::to_string(data)); }
    void RunRecordTask() override { Record("Task"); }
    std::vector<std::string> Jobs() {
        std::lock_guard lock(mutex_);
        return jobs_;
    }
    // Set for each job: whether it ran busy and without a pending abort.
    bool sawBusy = true;

private:
    void Record(std::string job) {
        std::lock_guard lock(mutex_);
        if (!flags_.jobBusy.load() || flags_.abortRequested.load()) sawBusy = false;
        jobs_.push_back(std::move(job));
    }
    DeviceFlags& flags_;
    std::mutex mutex_;
    std::vector<std::string> jobs_;
};

ThreadMessage Job(int job, std::intptr_t argument = 0) {
    return {MSG_DEVICE_JOB, static_cast<std::uintptr_t>(job), argument};
}

TEST(DeviceWorker, RunsTheKeyboardJobsOnlyWhileTheKeyboardIsConnectedAndRecordTasksAlways) {
    DeviceFlags flags;
    RecordingJobs jobs(flags);
    for (const int state : {kDeviceNeverOpened, kDeviceRemoved}) {
        flags.deviceState = state;
        DeviceWorkerThread::Handle(Job(JOB_READ_ALL), jobs, flags);
        DeviceWorkerThread::Handle(Job(JOB_RECORD_TASK), jobs, flags);
    }
    EXPECT_EQ(jobs.Jobs(), (std::vector<std::string>{"Task", "Task"}));
    RecordingJobs connectedJobs(flags);

    flags.deviceState = kDeviceConnected;
    flags.abortRequested = true;  // left over from an earlier job
    DeviceWorkerThread::Handle(Job(JOB_READ_ALL), connectedJobs, flags);
    DeviceWorkerThread::Handle(Job(JOB_SEND_PROFILE), connectedJobs, flags);
    DeviceWorkerThread::Handle(Job(JOB_MACRO_RECORD_STAGE, 0x10305), connectedJobs, flags);
    DeviceWorkerThread::Handle(Job(1), connectedJobs, flags);
    DeviceWorkerThread::Handle(Job(6), connectedJobs, flags);
    DeviceWorkerThread::Handle({MSG_PLAY_MACRO, JOB_READ_ALL, 0}, connectedJobs, flags);
    EXPECT_EQ(connectedJobs.Jobs(), (std::vector<std::string>{"ReadAll", "SendProfile", "Stage 773"}));
    EXPECT_TRUE(connectedJobs.sawBusy);
    EXPECT_FALSE(flags.jobBusy);
}

TEST(DeviceWorker, AShutdownDropsWhatIsStillQueued) {
    DeviceFlags flags;
    flags.deviceState = kDeviceConnected;
    flags.stopping = true;
    RecordingJobs jobs(flags);
    DeviceWorkerThread::Handle(Job(JOB_READ_ALL), jobs, flags);
    DeviceWorkerThread::Handle(Job(JOB_RECORD_TASK), jobs, flags);
    EXPECT_TRUE(jobs.Jobs().empty());
}

TEST(DeviceWorker, AbortIsRaisedOnlyWhileAJobRuns) {
    DeviceFlags flags;
    RecordingJobs jobs(flags);
    DeviceWorkerThread worker(jobs, flags);
    worker.AbortRunningJob();
    EXPECT_FALSE(flags.abortRequested);
    flags.jobBusy = true;
    worker.AbortRunningJob();
    EXPECT_TRUE(flags.abortRequested);
}

TEST(DeviceWorker, TheThreadRunsJobsInPostingOrderUntilStopped) {
    DeviceFlags flags;
    flags.deviceState = kDeviceConnected;
    RecordingJobs jobs(flags);
    DeviceWorkerThread worker(jobs, flags);
    EXPECT_FALSE(worker.PostJob(JOB_READ_ALL, 0));  // not started
    ASSERT_TRUE(worker.Start());
    for (int i = 0; i < 20; ++i) worker.PostJob(JOB_MACRO_RECORD_STAGE, i);
    worker.Stop();
    const auto done = jobs.Jobs();
    ASSERT_EQ(done.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(done[static_cast<std::size_t>(i)], "Stage " + std::to_string(i));
}

TEST(MacroPlayback, PlaysOnEachRequestAndIgnoresOtherMessages) {
    CallLog log;
    FakeActions player(log);
    MacroPlaybackThread::Handle({MSG_DEVICE_JOB, 0, 0}, &player);
    MacroPlaybackThread::Handle({MSG_PLAY_MACRO, 0, 0}, &player);
    MacroPlaybackThread::Handle({MSG_PLAY_MACRO, 0, 0}, nullptr);
    EXPECT_EQ(player.Played(), 1);

    MacroPlaybackThread thread(&player);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.PostPlay());
    EXPECT_TRUE(thread.PostPlay());
    thread.Stop();  // the requests before the quit are played first
    EXPECT_EQ(player.Played(), 3);
}

}  // namespace
}  // namespace kelm::test
