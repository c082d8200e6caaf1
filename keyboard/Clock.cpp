#include "keyboard/Clock.h"

#include <chrono>
#include <thread>

namespace kelm {

void SystemClock::SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::time_t SystemClock::Now() { return std::time(nullptr); }

void VirtualClock::SleepMs(int ms) {
    if (ms <= 0) return;
    const std::int64_t total = sleptMs_ += ms;
    if (hook_) hook_(total);
}

}  // namespace kelm
