#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"
#include "platform/gui/QtMessageLoop.h"
#include "tests/platform/FakeClock.h"
#include "tests/platform/gui/OffscreenApp.h"

namespace kelm {
namespace {

using namespace std::chrono_literals;
using test::ProcessEventsUntil;

class QtMessageLoopTest : public testing::Test {
protected:
    QtMessageLoopTest() {
        test::OffscreenApp();
        loop_ = std::make_unique<QtMessageLoop>(clock_);
        loop_->SetTimerHandler([this](unsigned id) { fired_.push_back({id, clock_.Elapsed()}); });
    }

    struct Fired {
        unsigned id;
        long at;
        bool operator==(const Fired&) const = default;
    };

    // Moves the clock in steps, letting due timers fire at each.
    void AdvanceBy(std::chrono::milliseconds total, std::chrono::milliseconds step = 10ms) {
        for (auto done = 0ms; done < total; done += step) {
            clock_.Advance(step);
            loop_->FireDueTimers();
        }
    }

    test::FakeClock clock_;
    std::unique_ptr<QtMessageLoop> loop_;
    std::vector<Fired> fired_;
};

TEST_F(QtMessageLoopTest, PostedWorkRunsOnTheLoopThreadInPostingOrder) {
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::vector<int>> seen(kThreads);
    const auto loopThread = std::this_thread::get_id();
    bool offThread = false;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                loop_->Post([&, t, i] {
                    offThread |= std::this_thread::get_id() != loopThread;
                    seen[t].push_back(i);
                });
        });
    for (auto& p : posters) p.join();
    ASSERT_TRUE(ProcessEventsUntil([&] {
        std::size_t total = 0;
        for (const auto& s : seen) total += s.size();
        return total == kThreads * kEach;
    }));
    EXPECT_FALSE(offThread);
    for (const auto& s : seen) {
        ASSERT_EQ(s.size(), static_cast<std::size_t>(kEach));
        for (int i = 0; i < kEach; ++i) ASSERT_EQ(s[i], i);
    }
}

TEST_F(QtMessageLoopTest, WorkPostedFromWorkRunsAfterWhatWasPostedBefore) {
    std::vector<int> order;
    loop_->Post([&] {
        order.push_back(1);
        loop_->Post([&] { order.push_back(3); });
    });
    loop_->Post([&] { order.push_back(2); });
    ASSERT_TRUE(ProcessEventsUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(QtMessageLoopTest, WorkLeftWhenTheLoopEndsIsDropped) {
    bool ran = false;
    loop_->Post([&] { ran = true; });
    loop_.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST_F(QtMessageLoopTest, TimersRepeatUntilKilledAndRestartWhenSetAgain) {
    loop_->SetTimer(500, 2000ms);
    loop_->SetTimer(502, 200ms);
    AdvanceBy(200ms);
    EXPECT_EQ(fired_, (std::vector<Fired>{{502, 200}}));
    EXPECT_TRUE(loop_->KillTimer(502));  // a one-shot timer kills itself
    EXPECT_FALSE(loop_->KillTimer(502));
    AdvanceBy(1800ms);
    EXPECT_EQ(fired_.back(), (Fired{500, 2000}));
    loop_->SetTimer(500, 1000ms);  // at 2000: restarted, next at 3000
    AdvanceBy(500ms);
    loop_->SetTimer(500, 1000ms);  // at 2500: restarted again, next at 3500
    AdvanceBy(1500ms);
    EXPECT_EQ(fired_, (std::vector<Fired>{{502, 200}, {500, 2000}, {500, 3500}}));
}

TEST_F(QtMessageLoopTest, HandlerMayKillAndSetTimers) {
    // The shortcut repeat: 1000 ms first, then every 100 ms, until released.
    loop_->SetTimerHandler([this](unsigned id) {
        fired_.push_back({id, clock_.Elapsed()});
        if (fired_.size() == 1) loop_->SetTimer(id, 100ms);
        if (fired_.size() == 3) loop_->KillTimer(id);
    });
    loop_->SetTimer(102, 1000ms);
    AdvanceBy(2000ms);
    EXPECT_EQ(fired_, (std::vector<Fired>{{102, 1000}, {102, 1100}, {102, 1200}}));
}

TEST_F(QtMessageLoopTest, DueTimersFireEarliestFirstAndALateTimerOnce) {
    loop_->SetTimer(2, 30ms);
    loop_->SetTimer(1, 20ms);
    AdvanceBy(100ms, 100ms);  // one late look at the clock
    EXPECT_EQ(fired_, (std::vector<Fired>{{1, 100}, {2, 100}}));
}

TEST_F(QtMessageLoopTest, TimersFireFromQtsOwnLoop) {
    QtMessageLoop loop;  // the machine's clock
    std::vector<unsigned> ids;
    loop.SetTimerHandler([&](unsigned id) {
        ids.push_back(id);
        if (ids.size() == 2) loop.KillTimer(id);
    });
    loop.SetTimer(601, 10ms);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ids.size() == 2; }));
    EXPECT_FALSE(loop.KillTimer(601));
}

TEST_F(QtMessageLoopTest, WatchReportsInputAndHangUpUntilUnwatched) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
    UniqueFd reader(fds[0]);
    UniqueFd writer(fds[1]);
    std::string received;
    bool hungUp = false;
    MessageLoop::WatchId id = 0;
    id = loop_->Watch(reader.Get(), [&] {
        char buffer[16];
        const ssize_t n = ::read(reader.Get(), buffer, sizeof buffer);
        if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
        if (n == 0) {
            hungUp = true;
            loop_->Unwatch(id);  // from inside its own callback
        }
    });
    ASSERT_NE(id, 0u);
    ASSERT_EQ(::write(writer.Get(), "ab", 2), 2);
    ASSERT_TRUE(ProcessEventsUntil([&] { return received == "ab"; }));
    writer.Reset();
    ASSERT_TRUE(ProcessEventsUntil([&] { return hungUp; }));
    loop_->Unwatch(id);  // twice is harmless
    QCoreApplication::processEvents();
}

TEST_F(QtMessageLoopTest, AnInvalidDescriptorCannotBeWatched) {
    EXPECT_EQ(loop_->Watch(-1, [] {}), 0u);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_EQ(loop_->Watch(fds[0], [] {}), 0u);
}

}  // namespace
}  // namespace kelm
