#include "platform/WorkerThread.h"

#include <system_error>

#include "platform/WindowMessage.h"

namespace kelm {

WorkerThread::~WorkerThread() { Stop(); }

bool WorkerThread::Start(Body body) {
    if (Running()) return false;
    auto queue = std::make_shared<ThreadMessageQueue>();
    try {
        thread_ = std::thread([queue, body = std::move(body)] {
            body(*queue);
            queue->Close();
        });
    } catch (const std::system_error&) {
        return false;
    }
    queue_ = std::move(queue);
    return true;
}

bool WorkerThread::PostThreadMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    return queue_ && queue_->Post(ThreadMessage{msg, wParam, lParam});
}

void WorkerThread::Stop() {
    if (!Running()) return;
    queue_->Post(ThreadMessage{WM_QUIT, 0, 0});
    thread_.join();
    queue_.reset();
}

}  // namespace kelm
