// A KelmWindow that records what the library posts, from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "devbridge/DevBridge.h"

namespace kelm::emu::test {

struct Posted {
    unsigned msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    friend bool operator==(const Posted&, const Posted&) = default;
};

class PostRecorder : public KelmWindow {
public:
    static constexpr unsigned kEventMsg = 1325;
    static constexpr unsigned kPresenceMsg = 1326;

    PostRecorder() : KelmWindow{&PostRecorder::Post} {}

    // Waits up to timeoutMs for the message at position index.
    bool WaitFor(std::size_t count, int timeoutMs = 3000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return posted_.size() >= count; });
    }
    std::vector<Posted> Messages() {
        std::lock_guard lock(mutex_);
        return posted_;
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return posted_.size();
    }

    static Posted Event(std::uint16_t type, std::uint16_t data) { return {kEventMsg, type, data}; }
    static Posted Presence(bool plugged) { return {kPresenceMsg, plugged ? 1u : 0u, 0}; }

private:
    static void Post(KelmWindow* self, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
        auto* recorder = static_cast<PostRecorder*>(self);
        std::lock_guard lock(recorder->mutex_);
        recorder->posted_.push_back({msg, wParam, lParam});
        recorder->changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Posted> posted_;
};

}  // namespace kelm::emu::test
