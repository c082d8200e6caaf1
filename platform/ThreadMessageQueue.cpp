#include "platform/ThreadMessageQueue.h"

#include "platform/WindowMessage.h"

namespace kelm {

bool ThreadMessageQueue::Post(const ThreadMessage& message) {
    {
        std::lock_guard lock(mutex_);
        if (closed_ || (messages_.size() >= kCapacity && message.msg != WM_QUIT)) return false;
        messages_.push_back(message);
    }
    arrived_.notify_one();
    return true;
}

bool ThreadMessageQueue::GetMessage(ThreadMessage& out) {
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [this] { return !messages_.empty(); });
    out = messages_.front();
    messages_.pop_front();
    return out.msg != WM_QUIT;
}

void ThreadMessageQueue::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    messages_.clear();
}

}  // namespace kelm
