// The apply request on a thread of its own, its answer posted back to the
// window's loop. The destructor waits for a request still running: the
// monitor is writing the keyboard then, and the program must not end
// before it knows.
#pragma once

#include <thread>

#include "platform/MessageLoop.h"
#include "setup/ApplyRunner.h"
#include "setup/MonitorLink.h"

namespace kelm {

class ThreadApplyRunner final : public IApplyRunner {
public:
    ThreadApplyRunner(IMonitorLink& monitor, MessageLoop& loop) : monitor_(monitor), loop_(loop) {}
    ~ThreadApplyRunner() override;
    void Run(int mode, Done done) override;

private:
    IMonitorLink& monitor_;
    MessageLoop& loop_;
    std::thread thread_;
};

}  // namespace kelm
