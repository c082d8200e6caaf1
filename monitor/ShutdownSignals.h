// The end of the session, a service manager stopping the monitor, or Ctrl+C:
// SIGTERM, SIGHUP and SIGINT close the monitor's window as "Exit" does, so
// the keyboard is told that the host is gone and the shared objects are
// released. The signals are taken through a signalfd on the program's loop.
#pragma once

#include <functional>
#include <memory>

#include "platform/MessageLoop.h"
#include "platform/UniqueFd.h"

namespace kelm {

class ShutdownSignals {
public:
    // Blocks the signals for the calling thread and every thread it starts
    // afterwards; call before any other thread exists.
    static void Block();

    // Calls onSignal on the loop's thread for each signal that arrives;
    // nullptr when the signalfd cannot be had (the signals then stay blocked
    // and pending, and SIGKILL remains the way out).
    static std::unique_ptr<ShutdownSignals> Watch(MessageLoop& loop, std::function<void()> onSignal);

    ~ShutdownSignals();
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

private:
    ShutdownSignals(MessageLoop& loop, UniqueFd fd) : loop_(loop), fd_(std::move(fd)) {}
    MessageLoop& loop_;
    UniqueFd fd_;
    MessageLoop::WatchId watch_ = 0;
};

}  // namespace kelm
