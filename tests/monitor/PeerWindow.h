// A window of another program, in the test's own process: an endpoint under
// the program's title on a loop of its own thread, recording what it is
// sent, as KelmSetup, the display program or the Pact monitor would
// receive it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/WindowEndpoint.h"

namespace kelm::test {

class PeerWindow {
public:
    explicit PeerWindow(std::string title) : title_(std::move(title)), loop_(EventLoop::Create()) {
        endpoint_ = WindowEndpoint::Create(*loop_, title_, [this](const WindowMessage& m) -> std::int64_t {
            std::lock_guard lock(mutex_);
            received_.push_back(m);
            arrived_.notify_all();
            return 0;
        });
        thread_ = std::thread([this] { loop_->Run(); });
    }
    ~PeerWindow() {
        loop_->Quit();
        thread_.join();
        endpoint_.reset();
    }
    PeerWindow(const PeerWindow&) = delete;
    PeerWindow& operator=(const PeerWindow&) = delete;

    explicit operator bool() const { return endpoint_ != nullptr; }

    // Waits up to timeoutMs for a message with this number.
    bool WaitFor(std::uint32_t msg, int timeoutMs = 5000) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return CountLocked(msg) > 0; });
    }
    int Count(std::uint32_t msg) {
        std::lock_guard lock(mutex_);
        return CountLocked(msg);
    }
    std::vector<WindowMessage> Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    int CountLocked(std::uint32_t msg) const {
        int n = 0;
        for (const WindowMessage& m : received_) n += m.msg == msg ? 1 : 0;
        return n;
    }

    std::string title_;
    std::unique_ptr<EventLoop> loop_;
    std::unique_ptr<WindowEndpoint> endpoint_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<WindowMessage> received_;
};

}  // namespace kelm::test
