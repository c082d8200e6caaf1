// A window on a test's own X display that has the keyboard focus and the
// pointer, and notes every key and button event it receives, with the
// moment it read it, on a thread of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelm::test {

struct ClientEvent {
    enum Kind { KeyDown, KeyUp, ButtonDown, ButtonUp } kind;
    unsigned code;  // X keycode, or button number
    std::chrono::steady_clock::time_point at;
    bool operator==(const ClientEvent& other) const { return kind == other.kind && code == other.code; }
};

class TestClientWindow {
public:
    // nullptr when the display cannot be opened.
    static std::unique_ptr<TestClientWindow> Open(const std::string& display);
    ~TestClientWindow();
    TestClientWindow(const TestClientWindow&) = delete;
    TestClientWindow& operator=(const TestClientWindow&) = delete;

    std::vector<ClientEvent> Events() const;
    // True when count events have come within timeout.
    bool WaitForEvents(std::size_t count, std::chrono::milliseconds timeout) const;
    void Clear();
    // The key symbol the display's keymap gives keycode, unshifted.
    unsigned long KeySymOf(unsigned keycode) const;

private:
    struct Connection;
    explicit TestClientWindow(std::unique_ptr<Connection> connection);
    void Read();

    std::unique_ptr<Connection> connection_;
    // Xlib is not made thread-safe here: one thread at a time on the display.
    mutable std::mutex displayMutex_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<ClientEvent> events_;
    std::jthread reader_;
};

}  // namespace kelm::test
