#include "bench/Timing.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace kelm::bench {

void TimeCases(const std::vector<TimedCase*>& cases, int rounds, double roundSeconds) {
    using Clock = std::chrono::steady_clock;
    for (TimedCase* c : cases) {
        c->run();  // warms caches and allocators
        c->bestSeconds = std::numeric_limits<double>::infinity();
        c->calls = 0;
    }
    const auto roundLength = std::chrono::duration<double>(roundSeconds);
    for (int round = 0; round < rounds; ++round) {
        for (TimedCase* c : cases) {
            const auto roundEnd = Clock::now() + roundLength;
            Clock::time_point end;
            do {
                const auto start = Clock::now();
                c->run();
                end = Clock::now();
                c->bestSeconds = std::min(c->bestSeconds, std::chrono::duration<double>(end - start).count());
                ++c->calls;
            } while (end < roundEnd);
        }
    }
}

}  // namespace kelm::bench
