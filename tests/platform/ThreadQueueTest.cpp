#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "platform/ThreadMessageQueue.h"
#include "platform/WindowMessage.h"
#include "platform/WorkerThread.h"

namespace kelm {
namespace {

TEST(ThreadMessageQueue, TakesInPostingOrderAndEndsAtWmQuit) {
    ThreadMessageQueue queue;
    ASSERT_TRUE(queue.Post({1649, 2, 0}));
    ASSERT_TRUE(queue.Post({1649, 3, 0}));
    ASSERT_TRUE(queue.Post({WM_QUIT, 0, 0}));
    ASSERT_TRUE(queue.Post({1648, 0, 0}));
    ThreadMessage m;
    ASSERT_TRUE(queue.GetMessage(m));
    EXPECT_EQ(m.wParam, 2u);
    ASSERT_TRUE(queue.GetMessage(m));
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_FALSE(queue.GetMessage(m));
    EXPECT_EQ(m.msg, WM_QUIT);
}

TEST(ThreadMessageQueue, FullQueueRefusesPostsButNotWmQuit) {
    ThreadMessageQueue queue;
    for (std::size_t i = 0; i < ThreadMessageQueue::kCapacity; ++i) ASSERT_TRUE(queue.Post({1, i, 0}));
    EXPECT_FALSE(queue.Post({1, 0, 0}));
    EXPECT_TRUE(queue.Post({WM_QUIT, 0, 0}));
    queue.Close();
    EXPECT_FALSE(queue.Post({WM_QUIT, 0, 0}));
}

TEST(WorkerThread, ReceivesEveryPosterInOrderAndStopsAfterThem) {
    std::vector<ThreadMessage> received;
    std::thread::id ranOn;
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([&](ThreadMessageQueue& queue) {
        ranOn = std::this_thread::get_id();
        ThreadMessage m;
        while (queue.GetMessage(m)) received.push_back(m);
    }));
    EXPECT_FALSE(worker.Start([](ThreadMessageQueue&) {}));

    constexpr int kPosters = 4;
    constexpr int kEach = 1000;
    std::vector<std::thread> posters;
    for (int p = 0; p < kPosters; ++p)
        posters.emplace_back([&worker, p] {
            for (int i = 0; i < kEach; ++i) ASSERT_TRUE(worker.PostThreadMessage(1649, static_cast<unsigned>(p), i));
        });
    for (std::thread& t : posters) t.join();
    worker.Stop();

    EXPECT_NE(ranOn, std::this_thread::get_id());
    ASSERT_EQ(received.size(), static_cast<std::size_t>(kPosters * kEach));
    std::vector<std::intptr_t> next(kPosters, 0);
    for (const ThreadMessage& m : received) EXPECT_EQ(m.lParam, next[m.wParam]++);
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(worker.PostThreadMessage(1649, 0, 0));
}

TEST(WorkerThread, BodyThatEndsOnItsOwnCanStillBeStopped) {
    WorkerThread worker;
    std::promise<void> returned;
    ASSERT_TRUE(worker.Start([&](ThreadMessageQueue&) { returned.set_value(); }));
    returned.get_future().wait();
    worker.Stop();
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(worker.PostThreadMessage(1648, 0, 0));
}

TEST(WorkerThread, DestructorStopsARunningThread) {
    int handled = 0;
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.Start([&](ThreadMessageQueue& queue) {
            ThreadMessage m;
            while (queue.GetMessage(m)) ++handled;
        }));
        worker.PostThreadMessage(1648, 0, 0);
    }
    EXPECT_EQ(handled, 1);
}

}  // namespace
}  // namespace kelm
