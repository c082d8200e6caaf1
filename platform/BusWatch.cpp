#include "platform/BusWatch.h"

#include <cstring>

#include "platform/Debug.h"
#include "platform/SdBus.h"

namespace kelm {

BusWatch::~BusWatch() {
    *alive_ = false;
    if (watch_ != 0) loop_.Unwatch(watch_);
}

bool BusWatch::Begin(sd_bus* bus) {
    bus_ = bus;
    const int fd = sd_bus_get_fd(bus_);
    if (fd < 0) return false;
    watch_ = loop_.Watch(fd, [this] { Process(); });
    if (watch_ == 0) return false;
    // Signals that arrived with the replies to earlier calls are queued
    // already and would not make the descriptor readable again.
    Process();
    return true;
}

void BusWatch::Post(std::function<void()> task) {
    loop_.Post([alive = alive_, task = std::move(task)] {
        if (*alive) task();
    });
}

void BusWatch::Process() {
    if (watch_ == 0) return;  // not begun, or lost
    do {
        if (const int r = DrainBus(bus_); r < 0) {
            DebugOutput("%s: bus connection lost (%s)\n", owner_, std::strerror(-r));
            loop_.Unwatch(watch_);
            watch_ = 0;
            return;
        }
    } while (afterBatch_ && afterBatch_());
}

}  // namespace kelm
