// The main-thread loop interfaces (MessageLoop, TimerService) on a Qt event
// loop, for programs whose main thread runs QApplication::exec: descriptors
// through socket notifiers, work posted from any thread as queued calls,
// and the window timers kept by the same TimerTable as EventLoop's, so a
// timer restarts, repeats and catches up exactly as it does there.
#pragma once

#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/TimerTable.h"

class QObject;
class QSocketNotifier;
class QTimer;

namespace kelm {

class QtMessageLoop final : public MessageLoop, public TimerService {
public:
    // Serves the thread that creates it, which must have a Qt event loop
    // (a QCoreApplication for the main thread).
    explicit QtMessageLoop(const Clock& clock = SteadyClock());
    ~QtMessageLoop() override;
    QtMessageLoop(const QtMessageLoop&) = delete;
    QtMessageLoop& operator=(const QtMessageLoop&) = delete;

    // Receives the id of every timer that fires.
    void SetTimerHandler(std::function<void(unsigned id)> handler) { timerHandler_ = std::move(handler); }

    // Work posted after the loop is destroyed is dropped.
    void Post(std::function<void()> task) override;
    WatchId Watch(int fd, std::function<void()> onReady) override;
    void Unwatch(WatchId id) override;
    void SetTimer(unsigned id, std::chrono::milliseconds period) override;
    bool KillTimer(unsigned id) override;

    // Fires the timers due by the clock now, earliest first. The loop's
    // wake-up timer calls it; tests call it after moving their clock.
    void FireDueTimers();

private:
    void Reschedule();

    const Clock& clock_;
    std::unique_ptr<QObject> context_;  // receives the posted work on the loop's thread
    std::unique_ptr<QTimer> wake_;      // single shot, set for the earliest due timer
    TimerTable timers_;
    std::function<void(unsigned)> timerHandler_;
    std::unordered_map<WatchId, QSocketNotifier*> watches_;  // children of context_
    WatchId nextWatch_ = 1;
};

}  // namespace kelm
