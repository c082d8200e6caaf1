// A bus connection served on a program's loop: what it receives is handled
// on the loop's thread as it arrives, and what the handlers find reaches the
// program from the loop afterwards, never from inside sd-bus.
//
// States: Idle -> Watching (Begin: the connection's descriptor watched)
// -> Lost (the connection failed: unwatched, silent until destroyed).
#pragma once

#include <systemd/sd-bus.h>

#include <functional>
#include <memory>

#include "platform/MessageLoop.h"

namespace kelm {

class BusWatch {
public:
    // afterBatch runs each time everything received has been handled; it
    // returns true when it made a blocking call, whose wait may have queued
    // more to handle. owner names the watcher in the trace.
    BusWatch(MessageLoop& loop, const char* owner, std::function<bool()> afterBatch = {})
        : loop_(loop), owner_(owner), afterBatch_(std::move(afterBatch)) {}
    // Stops watching; what was posted and has not run yet is dropped.
    ~BusWatch();
    BusWatch(const BusWatch&) = delete;
    BusWatch& operator=(const BusWatch&) = delete;

    // Watches bus, which must outlive this watch, and handles what came
    // with the calls made before. False when it cannot be watched.
    bool Begin(sd_bus* bus);
    // Runs task on the loop later, unless this watch is gone by then: the
    // task may do anything, even destroy the watch's owner.
    void Post(std::function<void()> task);
    // Handles everything received: also what a blocking call made outside
    // the watch's own handling left queued, which would not make the
    // descriptor readable again.
    void Process();

private:
    MessageLoop& loop_;
    const char* owner_;
    std::function<bool()> afterBatch_;
    sd_bus* bus_ = nullptr;
    MessageLoop::WatchId watch_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kelm
