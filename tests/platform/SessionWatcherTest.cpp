#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/SessionWatcher.h"
#include "platform/SleepWatcher.h"
#include "tests/monitor/Eventually.h"
#include "tests/platform/FakeLogind.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

using test::FakeLogind;
using Signal = FakeLogind::Signal;

constexpr auto kPatience = std::chrono::seconds(10);

class SessionWatcherTest : public testing::Test {
protected:
    void SetUp() override {
        loop_ = EventLoop::Create();
        ASSERT_TRUE(loop_);
    }
    void TearDown() override {
        watcher_.reset();
        logind_.reset();
        bus_.reset();
    }

    // A private bus in the place of the system bus; false (the test is
    // skipped) without dbus-daemon.
    bool StartBus() {
        bus_ = test::PrivateBus::Start(root_);
        if (!bus_) return false;
        systemBus_ = std::make_unique<test::ScopedEnv>("DBUS_SYSTEM_BUS_ADDRESS", bus_->Address().c_str());
        return true;
    }

    void StartWatcher() {
        watcher_ = SessionWatcher::Start(*loop_, [this](bool active) { changes_.push_back(active); });
    }

    // Runs the loop until count changes have been reported, or for long
    // enough that a missing one is a failure.
    void RunUntilChanges(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (changes_.size() < count && std::chrono::steady_clock::now() < deadline)
            loop_->RunOnce(std::chrono::milliseconds(50));
    }

    const test::TempFolder folder_;
    const std::string root_ = folder_.Path();
    std::unique_ptr<EventLoop> loop_;
    std::unique_ptr<test::PrivateBus> bus_;
    std::unique_ptr<test::ScopedEnv> systemBus_;
    std::unique_ptr<FakeLogind> logind_;
    std::unique_ptr<SessionWatcher> watcher_;
    std::vector<bool> changes_;
};

#define REQUIRE_BUS() \
    if (!StartBus()) GTEST_SKIP() << "dbus-daemon is not installed or did not start"

TEST_F(SessionWatcherTest, NoSystemBusMeansNoWatcher) {
    const test::ScopedEnv noBus("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + root_ + "/no-such-socket").c_str());
    StartWatcher();
    EXPECT_EQ(watcher_, nullptr);
}

TEST_F(SessionWatcherTest, BusWithoutLogindMeansNoWatcher) {
    REQUIRE_BUS();
    StartWatcher();
    EXPECT_EQ(watcher_, nullptr);
}

TEST_F(SessionWatcherTest, NoSessionToWatchMeansNoWatcher) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {.callerHasSession = false, .userHasDisplay = false});
    ASSERT_TRUE(logind_);
    StartWatcher();
    EXPECT_EQ(watcher_, nullptr);
}

TEST_F(SessionWatcherTest, ReportsEachChangeOfItsOwnSessionOnce) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {});
    ASSERT_TRUE(logind_);
    StartWatcher();
    ASSERT_NE(watcher_, nullptr);

    logind_->SetActive(false);
    RunUntilChanges(1);
    EXPECT_EQ(changes_, std::vector<bool>{false});
    // The same value again, and a change of another session, are no
    // changes; the next real one shows that they were seen and dropped.
    logind_->SetActive(false);
    logind_->SignalOtherSession(true);
    logind_->SetActive(true);
    RunUntilChanges(2);
    loop_->RunOnce(std::chrono::milliseconds(0));
    EXPECT_EQ(changes_, (std::vector<bool>{false, true}));
}

TEST_F(SessionWatcherTest, OutsideASessionFollowsTheUsersDisplaySession) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {.callerHasSession = false, .active = false});
    ASSERT_TRUE(logind_);
    StartWatcher();
    ASSERT_NE(watcher_, nullptr);
    logind_->SetActive(true);
    RunUntilChanges(1);
    EXPECT_EQ(changes_, std::vector<bool>{true});
}

TEST_F(SessionWatcherTest, AValueNotCarriedOrNotBooleanIsReadAgain) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {});
    ASSERT_TRUE(logind_);
    StartWatcher();
    ASSERT_NE(watcher_, nullptr);
    logind_->SetActive(false, Signal::Invalidated);
    RunUntilChanges(1);
    logind_->SetActive(true, Signal::WrongType);
    RunUntilChanges(2);
    EXPECT_EQ(changes_, (std::vector<bool>{false, true}));
}

TEST_F(SessionWatcherTest, ALostBusEndsTheWatchQuietly) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {});
    ASSERT_TRUE(logind_);
    StartWatcher();
    ASSERT_NE(watcher_, nullptr);
    logind_.reset();
    bus_->Stop();
    // The hang-up is handled once and then no longer watched: the loop
    // goes back to waiting instead of spinning on a dead descriptor.
    loop_->RunOnce(std::chrono::milliseconds(100));
    const auto start = std::chrono::steady_clock::now();
    loop_->RunOnce(std::chrono::milliseconds(100));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    EXPECT_TRUE(changes_.empty());
}

// A loop the test turns by hand, to end the watcher between noticing a
// change and reporting it.
class ManualLoop final : public MessageLoop {
public:
    void Post(std::function<void()> task) override { tasks_.push_back(std::move(task)); }
    WatchId Watch(int fd, std::function<void()> onReady) override {
        fd_ = fd;
        onReady_ = std::move(onReady);
        return 1;
    }
    void Unwatch(WatchId) override { onReady_ = nullptr; }

    // Hands readable input to the watcher until it posts something.
    bool DispatchUntilPosted() {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (tasks_.empty() && onReady_ && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) == 1) onReady_();
        }
        return !tasks_.empty();
    }
    void RunTasks() {
        for (auto& task : tasks_) task();
        tasks_.clear();
    }

private:
    int fd_ = -1;
    std::function<void()> onReady_;
    std::vector<std::function<void()>> tasks_;
};

TEST_F(SessionWatcherTest, AChangeNoticedButNotYetReportedDiesWithTheWatcher) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {});
    ASSERT_TRUE(logind_);
    ManualLoop loop;
    bool reported = false;
    auto watcher = SessionWatcher::Start(loop, [&](bool) { reported = true; });
    ASSERT_NE(watcher, nullptr);
    logind_->SetActive(false);
    ASSERT_TRUE(loop.DispatchUntilPosted());
    watcher.reset();
    loop.RunTasks();
    EXPECT_FALSE(reported);
}

// Suspend and resume on the same stand-in: what the receiver sees, and the
// delay lock around it.
class SleepWatcherTest : public SessionWatcherTest {
protected:
    struct Report {
        bool sleeping;
        int locksHeld;  // while the receiver ran
        bool onLoopThread;
    };

    void StartSleepWatcher() {
        sleepWatcher_ = SleepWatcher::Start(*loop_, "KelmWatch", "test", [this](bool sleeping) {
            reports_.push_back({sleeping, logind_->LocksHeld(), std::this_thread::get_id() == loopThread_});
        });
    }
    void RunUntilReports(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (reports_.size() < count && std::chrono::steady_clock::now() < deadline)
            loop_->RunOnce(std::chrono::milliseconds(50));
        ASSERT_EQ(reports_.size(), count);
    }
    // The bus daemon closes its own copy of a lock it passed on a moment
    // after the receiver has it.
    bool LocksLetGo() {
        return test::Eventually([&] { return logind_->LocksHeld() == 0; });
    }
    void TearDown() override {
        sleepWatcher_.reset();
        SessionWatcherTest::TearDown();
    }

    const std::thread::id loopThread_ = std::this_thread::get_id();
    std::unique_ptr<SleepWatcher> sleepWatcher_;
    std::vector<Report> reports_;
};

TEST_F(SleepWatcherTest, TheLockIsHeldUntilTheSleepIsHandledAndTakenAgainOnResume) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {});
    ASSERT_TRUE(logind_);
    StartSleepWatcher();
    ASSERT_NE(sleepWatcher_, nullptr);
    EXPECT_EQ(logind_->InhibitCalls(), std::vector<std::string>{"sleep delay KelmWatch"});
    EXPECT_EQ(logind_->LocksHeld(), 1);

    logind_->PrepareForSleep(true);
    RunUntilReports(1);
    EXPECT_TRUE(reports_[0].sleeping);
    EXPECT_EQ(reports_[0].locksHeld, 1) << "the machine could sleep before the receiver was done";
    EXPECT_TRUE(reports_[0].onLoopThread);
    EXPECT_TRUE(LocksLetGo()) << "the sleep waits for a lock nobody lets go";

    logind_->PrepareForSleep(false);
    RunUntilReports(2);
    EXPECT_FALSE(reports_[1].sleeping);
    EXPECT_EQ(reports_[1].locksHeld, 1);
    EXPECT_TRUE(reports_[1].onLoopThread);
    EXPECT_EQ(logind_->InhibitCalls().size(), 2u);

    sleepWatcher_.reset();
    EXPECT_TRUE(LocksLetGo());
}

TEST_F(SleepWatcherTest, ARefusedLockStillLeavesTheNotifications) {
    REQUIRE_BUS();
    logind_ = FakeLogind::Start(bus_->Address(), {.grantsLocks = false});
    ASSERT_TRUE(logind_);
    StartSleepWatcher();
    ASSERT_NE(sleepWatcher_, nullptr);
    logind_->PrepareForSleep(true);
    logind_->PrepareForSleep(false);
    RunUntilReports(2);
    EXPECT_TRUE(reports_[0].sleeping);
    EXPECT_FALSE(reports_[1].sleeping);
}

TEST_F(SleepWatcherTest, BusWithoutLogindMeansNoWatcher) {
    REQUIRE_BUS();
    StartSleepWatcher();
    EXPECT_EQ(sleepWatcher_, nullptr);
}

}  // namespace
}  // namespace kelm
