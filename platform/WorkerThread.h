// A worker thread with its own message queue, as the monitor's device and
// macro threads are: the body loops on GetMessage until WM_QUIT.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/ThreadMessageQueue.h"

namespace kelm {

class WorkerThread {
public:
    using Body = std::function<void(ThreadMessageQueue& queue)>;

    WorkerThread() = default;
    // Stops the thread (see Stop) if it still runs.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts body on a new thread; false when the thread cannot be created or
    // one runs already.
    bool Start(Body body);
    bool Running() const { return thread_.joinable(); }

    // False when the thread is not running or its queue is full.
    bool PostThreadMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

    // Posts WM_QUIT behind the messages already posted and waits, without a
    // time limit, for the thread to end.
    void Stop();

private:
    std::shared_ptr<ThreadMessageQueue> queue_;
    std::thread thread_;
};

}  // namespace kelm
