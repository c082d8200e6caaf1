#include "bench/Timing.h"

#include <algorithm>
#include <chrono>

namespace kelm::bench {

double TimedCase::Best() const { return *std::min_element(seconds.begin(), seconds.end()); }

double TimedCase::Median() const {
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

void TimeCases(const std::vector<TimedCase*>& cases, int rounds, double roundSeconds) {
    using Clock = std::chrono::steady_clock;
    for (TimedCase* c : cases) {
        c->run();  // warms caches and allocators
        c->seconds.clear();
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
                c->seconds.push_back(std::chrono::duration<double>(end - start).count());
            } while (end < roundEnd);
        }
    }
}

}  // namespace kelm::bench
