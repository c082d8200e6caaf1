// Times of many tries and the figures that describe their spread: the
// latency benchmarks report percentiles, not means, because one late wake-up
// on a shared machine says more about users' experience than the average.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kelm::bench {

struct Samples {
    std::vector<double> ms;

    // p in 0..1: the sample at that rank from the lowest.
    double Percentile(double p) const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1))];
    }
    double Max() const { return *std::max_element(ms.begin(), ms.end()); }
};

}  // namespace kelm::bench
