// Time as the protocol needs it: sleeping between reports and the wall
// clock for the synchronisation stamp. Tests run on VirtualClock, which
// never sleeps and adds up what was asked for instead.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <utility>

namespace kelm {

class IClock {
public:
    virtual ~IClock() = default;
    virtual void SleepMs(int ms) = 0;
    // Seconds since 1970-01-01 UTC.
    virtual std::time_t Now() = 0;
};

class SystemClock final : public IClock {
public:
    void SleepMs(int ms) override;
    std::time_t Now() override;
};

class VirtualClock final : public IClock {
public:
    explicit VirtualClock(std::time_t start = 1'700'000'000) : start_(start) {}

    // Advances virtual time, then calls the sleep hook with the new total.
    void SleepMs(int ms) override;
    std::time_t Now() override { return start_ + static_cast<std::time_t>(sleptMs_.load() / 1000); }

    std::int64_t SleptMs() const { return sleptMs_.load(); }
    // Lets a test act at a point in virtual time (raise an abort, unplug).
    // Set it before the clock is shared with another thread.
    void SetSleepHook(std::function<void(std::int64_t totalMs)> hook) { hook_ = std::move(hook); }

private:
    std::time_t start_;
    std::atomic<std::int64_t> sleptMs_{0};
    std::function<void(std::int64_t)> hook_;
};

}  // namespace kelm
