// The event loop of a program's main thread: watched descriptors, window
// timers and work posted from other threads, all run one at a time on the
// thread that runs the loop, as a window's thread handles its messages.
//
// A round: wait until a descriptor is ready, work is posted, the next timer
// is due or Quit is called; then call the ready descriptors' callbacks, run
// the work posted so far in posting order, and fire the due timers, earliest
// first. Work and timers stop at Quit; what is left waits for the next Run.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/TimerTable.h"
#include "platform/UniqueFd.h"

namespace kelm {

class EventLoop final : public MessageLoop, public TimerService {
public:
    // nullptr when the kernel refuses the loop's descriptors.
    static std::unique_ptr<EventLoop> Create(const Clock& clock = SteadyClock());
    ~EventLoop() override = default;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // Receives the id of every timer that fires.
    void SetTimerHandler(std::function<void(unsigned id)> handler) { timerHandler_ = std::move(handler); }

    void Post(std::function<void()> task) override;
    WatchId Watch(int fd, std::function<void()> onReady) override;
    void Unwatch(WatchId id) override;
    void SetTimer(unsigned id, std::chrono::milliseconds period) override;
    bool KillTimer(unsigned id) override;

    // Runs rounds until Quit and returns the code given to it.
    int Run();
    // One round that waits at most maxWait, less when a timer is due sooner,
    // not at all when work is waiting.
    void RunOnce(std::chrono::milliseconds maxWait);
    // Any thread: Run returns after the current callback or task.
    void Quit(int code = 0);

private:
    struct WatchEntry {
        int fd;
        std::function<void()> onReady;
    };

    EventLoop(const Clock& clock, UniqueFd epoll, UniqueFd wake);
    void RunRound(std::optional<std::chrono::milliseconds> maxWait);
    int WaitMilliseconds(std::optional<std::chrono::milliseconds> maxWait);
    void RunPostedWork();
    void FireDueTimers();
    void Wake();

    const Clock& clock_;
    UniqueFd epoll_;
    UniqueFd wake_;  // eventfd, watched with id 0
    std::unordered_map<WatchId, std::shared_ptr<WatchEntry>> watches_;
    WatchId nextWatch_ = 1;
    TimerTable timers_;
    std::function<void(unsigned)> timerHandler_;

    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;
    std::atomic<std::thread::id> runner_{};
    std::atomic<bool> quit_{false};
    std::atomic<int> quitCode_{0};
};

}  // namespace kelm
