// A small timing harness for a busy, shared machine: every call is timed on
// its own; the fastest call is the one least disturbed by other work, the
// median shows what waits on the disk cost. The cases of one comparison
// take turns round by round so that a change in the machine's load reaches
// them alike.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kelm::bench {

struct TimedCase {
    TimedCase(std::string caseName, std::function<void()> call) : name(std::move(caseName)), run(std::move(call)) {}

    std::string name;
    std::function<void()> run;
    std::vector<double> seconds;  // of each call

    double Best() const;
    double Median() const;
};

// Runs every case for rounds rounds of about roundSeconds each.
void TimeCases(const std::vector<TimedCase*>& cases, int rounds, double roundSeconds);

}  // namespace kelm::bench
