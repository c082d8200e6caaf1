// Window timers on virtual time: the same bookkeeping as the programs'
// loops (TimerTable), fired by a test that moves the time on.
#pragma once

#include <chrono>
#include <functional>

#include "platform/MessageLoop.h"
#include "platform/TimerTable.h"
#include "tests/platform/FakeClock.h"

namespace kelm::test {

class VirtualTimers final : public TimerService {
public:
    void SetTimer(unsigned id, std::chrono::milliseconds period) override { table_.Set(id, period, clock_.Now()); }
    bool KillTimer(unsigned id) override { return table_.Kill(id); }
    bool Running(unsigned id) const {
        TimerTable copy = table_;
        return copy.Kill(id);
    }

    // Receives every timer that fires.
    void SetHandler(std::function<void(unsigned)> handler) { handler_ = std::move(handler); }

    // Moves time on by `by`, firing every timer at the moment it falls due,
    // earliest first; what a handler sets or kills counts at once.
    void Advance(std::chrono::milliseconds by) {
        const auto end = clock_.Now() + by;
        while (const auto due = table_.NextDue()) {
            if (*due > end) break;
            clock_.Advance(std::chrono::duration_cast<std::chrono::milliseconds>(*due - clock_.Now()));
            if (const auto id = table_.PopDue(clock_.Now()); id && handler_) handler_(*id);
        }
        clock_.Advance(std::chrono::duration_cast<std::chrono::milliseconds>(end - clock_.Now()));
    }
    // Milliseconds since the start.
    long Now() const { return clock_.Elapsed(); }

private:
    FakeClock clock_;
    TimerTable table_;
    std::function<void(unsigned)> handler_;
};

}  // namespace kelm::test
