#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>
#include <utility>
#include <vector>

#include "platform/EventLoop.h"
#include "tests/platform/FakeClock.h"

namespace kelm {
namespace {

using std::chrono::milliseconds;
using Fired = std::vector<std::pair<unsigned, long>>;  // timer id, virtual time

TEST(TimerTable, OneShotIsATimerItsHandlerKills) {
    test::FakeClock clock;
    TimerTable timers;
    timers.Set(502, milliseconds(200), clock.Now());
    clock.Advance(milliseconds(199));
    EXPECT_FALSE(timers.PopDue(clock.Now()));
    clock.Advance(milliseconds(1));
    EXPECT_EQ(timers.PopDue(clock.Now()), 502u);
    EXPECT_TRUE(timers.Kill(502));
    EXPECT_FALSE(timers.Kill(502));
    EXPECT_FALSE(timers.NextDue());
}

TEST(TimerTable, PeriodicTimerKeepsItsBeatAndFiresOnceWhenLate) {
    test::FakeClock clock;
    TimerTable timers;
    timers.Set(500, milliseconds(2000), clock.Now());
    clock.Advance(milliseconds(2003));  // a little late: the next beat stays at 4000
    EXPECT_EQ(timers.PopDue(clock.Now()), 500u);
    EXPECT_FALSE(timers.PopDue(clock.Now()));
    EXPECT_EQ(timers.NextDue(), test::FakeClock::TimePoint{} + milliseconds(4000));

    clock.Advance(milliseconds(10000));  // far behind: one firing, then a period after now
    EXPECT_EQ(timers.PopDue(clock.Now()), 500u);
    EXPECT_FALSE(timers.PopDue(clock.Now()));
    EXPECT_EQ(timers.NextDue(), clock.Now() + milliseconds(2000));
}

TEST(TimerTable, WaitIsRoundedUpAndNeverNegative) {
    test::FakeClock clock;
    TimerTable timers;
    EXPECT_FALSE(timers.WaitUntilDue(clock.Now())) << "no timer, no wake-up";
    timers.Set(3, milliseconds(20), clock.Now());
    EXPECT_EQ(timers.WaitUntilDue(clock.Now()), milliseconds(20));
    EXPECT_EQ(timers.WaitUntilDue(clock.Now() + std::chrono::microseconds(500)), milliseconds(20))
        << "19.5 ms left: waking after 19 would come before the timer";
    clock.Advance(milliseconds(25));
    EXPECT_EQ(timers.WaitUntilDue(clock.Now()), milliseconds(0)) << "overdue";
}

TEST(TimerTable, SettingARunningIdRestartsIt) {
    test::FakeClock clock;
    TimerTable timers;
    timers.Set(600, milliseconds(1000), clock.Now());
    clock.Advance(milliseconds(900));
    timers.Set(600, milliseconds(1000), clock.Now());
    clock.Advance(milliseconds(900));
    EXPECT_FALSE(timers.PopDue(clock.Now()));
    clock.Advance(milliseconds(100));
    EXPECT_EQ(timers.PopDue(clock.Now()), 600u);
}

TEST(TimerTable, DueTimersComeEarliestFirstAndZeroPeriodsAreRaised) {
    test::FakeClock clock;
    TimerTable timers;
    timers.Set(601, milliseconds(500), clock.Now());
    timers.Set(602, milliseconds(300), clock.Now());
    timers.Set(7, milliseconds(0), clock.Now());
    EXPECT_EQ(timers.NextDue(), clock.Now() + TimerTable::kMinimumPeriod);
    clock.Advance(milliseconds(500));
    EXPECT_EQ(timers.PopDue(clock.Now()), 7u);
    EXPECT_EQ(timers.PopDue(clock.Now()), 602u);
    EXPECT_EQ(timers.PopDue(clock.Now()), 601u);
    EXPECT_FALSE(timers.PopDue(clock.Now()));
}

class LoopTimers : public ::testing::Test {
protected:
    void SetUp() override {
        loop_ = EventLoop::Create(clock_);
        ASSERT_TRUE(loop_);
        loop_->SetTimerHandler([this](unsigned id) {
            fired_.emplace_back(id, clock_.Elapsed());
            if (onTimer_) onTimer_(id);
        });
    }
    // Moves the clock in steps of step up to total, running the loop at each.
    void RunFor(milliseconds total, milliseconds step = milliseconds(50)) {
        for (milliseconds t{0}; t < total; t += step) {
            clock_.Advance(step);
            loop_->RunOnce(milliseconds(0));
        }
    }

    test::FakeClock clock_;
    std::unique_ptr<EventLoop> loop_;
    Fired fired_;
    std::function<void(unsigned)> onTimer_;
};

TEST_F(LoopTimers, FirstReadTimerStopsItself) {
    onTimer_ = [this](unsigned id) { loop_->KillTimer(id); };
    loop_->SetTimer(502, milliseconds(200));
    RunFor(milliseconds(1000));
    EXPECT_EQ(fired_, (Fired{{502, 200}}));
}

TEST_F(LoopTimers, ShortcutRepeatsAfterOneSecondThenEveryTenth) {
    onTimer_ = [this](unsigned id) {
        if (fired_.size() == 1) loop_->SetTimer(id, milliseconds(100));
        if (fired_.size() == 3) loop_->KillTimer(id);
    };
    loop_->SetTimer(102, milliseconds(1000));
    RunFor(milliseconds(2000), milliseconds(10));
    EXPECT_EQ(fired_, (Fired{{102, 1000}, {102, 1100}, {102, 1200}}));
}

TEST_F(LoopTimers, PeriodicAndOneShotTimersInterleave) {
    onTimer_ = [this](unsigned id) {
        if (id == 601) loop_->KillTimer(id);
    };
    loop_->SetTimer(500, milliseconds(2000));
    clock_.Advance(milliseconds(1700));
    loop_->SetTimer(601, milliseconds(500));
    RunFor(milliseconds(4500));
    EXPECT_EQ(fired_, (Fired{{500, 2000}, {601, 2200}, {500, 4000}, {500, 6000}}));
}

TEST(EventLoop, WorkPostedFromOtherThreadsRunsInOrderOnTheLoopThread) {
    auto loop = EventLoop::Create();
    ASSERT_TRUE(loop);
    std::vector<int> order;
    std::thread::id ranOn;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) loop->Post([&order, i] { order.push_back(i); });
        loop->Post([&] {
            ranOn = std::this_thread::get_id();
            loop->Quit(7);
        });
    });
    EXPECT_EQ(loop->Run(), 7);
    poster.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST(EventLoop, QuitLeavesLaterWorkForTheNextRun) {
    auto loop = EventLoop::Create();
    ASSERT_TRUE(loop);
    std::vector<char> ran;
    loop->Post([&] {
        ran.push_back('a');
        loop->Quit();
    });
    loop->Post([&] { ran.push_back('b'); });
    loop->Run();
    EXPECT_EQ(ran, std::vector<char>{'a'});
    loop->RunOnce(milliseconds(0));
    EXPECT_EQ(ran, (std::vector<char>{'a', 'b'}));
}

TEST(EventLoop, WatchedDescriptorsCallBackUntilUnwatched) {
    auto loop = EventLoop::Create();
    ASSERT_TRUE(loop);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);
    int calls = 0;
    MessageLoop::WatchId id = 0;
    id = loop->Watch(readEnd.Get(), [&] {
        char byte;
        ASSERT_EQ(::read(readEnd.Get(), &byte, 1), 1);
        if (++calls == 2) loop->Unwatch(id);  // from inside its own callback
    });
    ASSERT_NE(id, 0u);
    EXPECT_EQ(loop->Watch(readEnd.Get(), [] {}), 0u);  // one watch per descriptor

    loop->RunOnce(milliseconds(0));
    EXPECT_EQ(calls, 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(::write(writeEnd.Get(), "x", 1), 1);
        loop->RunOnce(milliseconds(0));
    }
    EXPECT_EQ(calls, 2);
}

TEST(EventLoop, RunSleepsUntilTheNextTimer) {
    auto loop = EventLoop::Create();
    ASSERT_TRUE(loop);
    int fired = 0;
    loop->SetTimerHandler([&](unsigned id) {
        ++fired;
        loop->KillTimer(id);
        loop->Quit();
    });
    loop->SetTimer(1, milliseconds(10));
    loop->Run();
    EXPECT_EQ(fired, 1);
}

}  // namespace
}  // namespace kelm
