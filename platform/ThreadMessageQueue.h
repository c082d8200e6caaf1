// The message queue of a worker thread, with the window system's thread
// message rules: messages are taken in posting order, GetMessage waits for
// the next one and answers false when it takes WM_QUIT, and a queue holds
// at most kCapacity messages (a post to a full queue fails). Any thread may
// post; one thread takes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

namespace kelm {

struct ThreadMessage {
    std::uint32_t msg = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

class ThreadMessageQueue {
public:
    static constexpr std::size_t kCapacity = 10000;

    // False when the queue is full or closed. WM_QUIT is taken even by a full
    // queue, so a thread can always be told to end.
    bool Post(const ThreadMessage& message);
    // Waits for the next message; false when it is WM_QUIT.
    bool GetMessage(ThreadMessage& out);
    // The taking thread has ended: later posts fail.
    void Close();

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<ThreadMessage> messages_;
    bool closed_ = false;
};

}  // namespace kelm
