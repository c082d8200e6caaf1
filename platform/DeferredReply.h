// The answer to a sent message that its handler gives after it has
// returned, so that the receiving window goes on with other messages while
// the sender keeps waiting. The sender gets exactly one result: the one
// given to Send, or 0 when the reply is dropped unanswered (the receiver
// shut down or gave up), so that no sender waits for an answer that will
// never come.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace kelm {

class DeferredReply {
public:
    using Sender = std::function<void(std::int64_t)>;

    DeferredReply() = default;  // answers nobody
    explicit DeferredReply(Sender sender) : sender_(std::move(sender)) {}
    DeferredReply(DeferredReply&& other) noexcept : sender_(std::exchange(other.sender_, nullptr)) {}
    DeferredReply& operator=(DeferredReply&& other) noexcept {
        if (this != &other) {
            Send(0);
            sender_ = std::exchange(other.sender_, nullptr);
        }
        return *this;
    }
    DeferredReply(const DeferredReply&) = delete;
    DeferredReply& operator=(const DeferredReply&) = delete;
    ~DeferredReply() { Send(0); }

    // The first call answers; later ones do nothing.
    void Send(std::int64_t result) {
        if (auto sender = std::exchange(sender_, nullptr)) sender(result);
    }
    // True while somebody waits for the answer.
    explicit operator bool() const { return static_cast<bool>(sender_); }

private:
    Sender sender_;
};

}  // namespace kelm
