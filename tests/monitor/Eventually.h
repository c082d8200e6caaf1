// Polling for work that happens on another thread or in another process,
// with a bound, instead of sleeping for a fixed time.
#pragma once

#include <chrono>
#include <thread>

namespace kelm::test {

// Polls condition for up to timeoutMs of real time.
template <typename Condition>
bool Eventually(Condition condition, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace kelm::test
