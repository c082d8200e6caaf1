// What code that runs on a program's main thread needs from its event loop,
// as interfaces: the loop of KelmWatch implements them, and a program with
// another loop (a Qt one) can implement them too.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kelm {

class MessageLoop {
public:
    using WatchId = std::uint64_t;  // 0 is never a watch

    virtual ~MessageLoop() = default;

    // Runs task on the loop's thread after the work handed in before it.
    // May be called from any thread.
    virtual void Post(std::function<void()> task) = 0;

    // Calls onReady on the loop's thread whenever fd is readable or hung up,
    // until Unwatch. Loop thread only; 0 when fd cannot be watched.
    virtual WatchId Watch(int fd, std::function<void()> onReady) = 0;
    // Safe from inside the watch's own callback. Loop thread only.
    virtual void Unwatch(WatchId id) = 0;
};

// Window timers by id, as SetTimer and KillTimer keep them: setting an id
// that runs restarts it with the new period; a timer repeats until killed,
// so a one-shot timer is one whose handler kills it.
class TimerService {
public:
    virtual ~TimerService() = default;
    virtual void SetTimer(unsigned id, std::chrono::milliseconds period) = 0;
    // False when no timer has that id.
    virtual bool KillTimer(unsigned id) = 0;
};

}  // namespace kelm
