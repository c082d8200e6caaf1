// An injector that notes what it was asked and when, on the clock it is
// given, for the tests of what drives it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <vector>

#include "platform/Clock.h"
#include "platform/InputInjector.h"

namespace kelm::test {

struct Injected {
    long ms;  // since the clock's start
    std::uint16_t code;
    bool down;
    bool operator==(const Injected&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Injected& injected) {
    return out << (injected.down ? "down " : "up ") << injected.code << " at " << injected.ms;
}

inline Injected Down(long ms, std::uint16_t code) { return {ms, code, true}; }
inline Injected Up(long ms, std::uint16_t code) { return {ms, code, false}; }

class RecordingInjector final : public IInputInjector {
public:
    explicit RecordingInjector(const Clock& clock) : clock_(clock) {}

    void KeyDown(std::uint16_t inputCode) override { Add(inputCode, true); }
    void KeyUp(std::uint16_t inputCode) override { Add(inputCode, false); }
    void ButtonDown(MouseButton button) override { Add(static_cast<std::uint16_t>(button), true); }
    void ButtonUp(MouseButton button) override { Add(static_cast<std::uint16_t>(button), false); }

    std::vector<Injected> Calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }
    // Runs after each call is noted: a test lets the call take time here.
    std::function<void()> afterEach;

private:
    void Add(std::uint16_t code, bool down) {
        {
            const std::lock_guard lock(mutex_);
            const auto since = clock_.Now() - Clock::TimePoint{};
            calls_.push_back(
                {static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count()), code, down});
        }
        if (afterEach) afterEach();
    }

    const Clock& clock_;
    mutable std::mutex mutex_;
    std::vector<Injected> calls_;
};

}  // namespace kelm::test
