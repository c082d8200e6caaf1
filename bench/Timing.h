// A small timing harness for a busy, shared machine: every call is timed on
// its own and the fastest call counts, as it is the one least disturbed by
// other work. The cases of one comparison take turns round by round so
// that a change in the machine's load reaches them alike.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelm::bench {

struct TimedCase {
    std::string name;
    std::function<void()> run;
    double bestSeconds = 0;  // of the fastest call
    long calls = 0;
};

// Runs every case for rounds rounds of about roundSeconds each.
void TimeCases(const std::vector<TimedCase*>& cases, int rounds, double roundSeconds);

}  // namespace kelm::bench
