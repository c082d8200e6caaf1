#include "platform/EventLoop.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace kelm {

namespace {
constexpr int kEventsPerWait = 64;
}  // namespace

std::unique_ptr<EventLoop> EventLoop::Create(const Clock& clock) {
    UniqueFd epoll(::epoll_create1(EPOLL_CLOEXEC));
    UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!epoll || !wake) return nullptr;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = 0;
    if (::epoll_ctl(epoll.Get(), EPOLL_CTL_ADD, wake.Get(), &event) != 0) return nullptr;
    return std::unique_ptr<EventLoop>(new EventLoop(clock, std::move(epoll), std::move(wake)));
}

EventLoop::EventLoop(const Clock& clock, UniqueFd epoll, UniqueFd wake)
    : clock_(clock), epoll_(std::move(epoll)), wake_(std::move(wake)) {}

void EventLoop::Post(std::function<void()> task) {
    bool wasEmpty;
    {
        std::lock_guard lock(postedMutex_);
        wasEmpty = posted_.empty();
        posted_.push_back(std::move(task));
    }
    // The loop's own thread looks at the queue before it next waits, so
    // only other threads need to wake it, and only for the first task.
    if (wasEmpty && runner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) Wake();
}

MessageLoop::WatchId EventLoop::Watch(int fd, std::function<void()> onReady) {
    const WatchId id = nextWatch_++;
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.u64 = id;
    if (::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &event) != 0) return 0;
    watches_.emplace(id, std::make_shared<WatchEntry>(WatchEntry{fd, std::move(onReady)}));
    return id;
}

void EventLoop::Unwatch(WatchId id) {
    const auto it = watches_.find(id);
    if (it == watches_.end()) return;
    ::epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, it->second->fd, nullptr);
    watches_.erase(it);
}

void EventLoop::SetTimer(unsigned id, std::chrono::milliseconds period) { timers_.Set(id, period, clock_.Now()); }

bool EventLoop::KillTimer(unsigned id) { return timers_.Kill(id); }

int EventLoop::Run() {
    while (!quit_.load()) RunRound(std::nullopt);
    quit_.store(false);
    return quitCode_.load();
}

void EventLoop::RunOnce(std::chrono::milliseconds maxWait) { RunRound(maxWait); }

void EventLoop::Quit(int code) {
    quitCode_.store(code);
    quit_.store(true);
    Wake();
}

void EventLoop::Wake() {
    const std::uint64_t one = 1;
    const ssize_t ignored = ::write(wake_.Get(), &one, sizeof one);
    static_cast<void>(ignored);  // a full counter means the loop is woken already
}

int EventLoop::WaitMilliseconds(std::optional<std::chrono::milliseconds> maxWait) {
    {
        std::lock_guard lock(postedMutex_);
        if (!posted_.empty()) return 0;
    }
    if (quit_.load()) return 0;
    std::optional<std::chrono::milliseconds> wait = maxWait;
    if (const auto untilDue = timers_.WaitUntilDue(clock_.Now()))
        if (!wait || *untilDue < *wait) wait = untilDue;
    if (!wait) return -1;
    return static_cast<int>(std::min<std::chrono::milliseconds::rep>(wait->count(), INT32_MAX));
}

void EventLoop::RunRound(std::optional<std::chrono::milliseconds> maxWait) {
    runner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    epoll_event events[kEventsPerWait];
    const int ready = ::epoll_wait(epoll_.Get(), events, kEventsPerWait, WaitMilliseconds(maxWait));
    for (int i = 0; i < ready && !quit_.load(); ++i) {
        // A copy: epoll_event is packed, so its field cannot be bound to the
        // reference find() takes.
        const WatchId id = events[i].data.u64;
        if (id == 0) {
            std::uint64_t count;
            const ssize_t ignored = ::read(wake_.Get(), &count, sizeof count);
            static_cast<void>(ignored);
            continue;
        }
        const auto it = watches_.find(id);
        if (it == watches_.end()) continue;  // unwatched by an earlier callback of this round
        // The entry stays alive while its callback runs, even if it unwatches itself.
        const std::shared_ptr<WatchEntry> entry = it->second;
        entry->onReady();
    }
    RunPostedWork();
    FireDueTimers();
}

void EventLoop::RunPostedWork() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(postedMutex_);
        batch.swap(posted_);
    }
    while (!batch.empty() && !quit_.load()) {
        const std::function<void()> task = std::move(batch.front());
        batch.pop_front();
        task();
    }
    if (batch.empty()) return;
    // Quit came first: what was not run goes back ahead of later posts.
    std::lock_guard lock(postedMutex_);
    while (!batch.empty()) {
        posted_.push_front(std::move(batch.back()));
        batch.pop_back();
    }
}

void EventLoop::FireDueTimers() {
    while (!quit_.load()) {
        const std::optional<unsigned> id = timers_.PopDue(clock_.Now());
        if (!id) return;
        if (timerHandler_) timerHandler_(*id);
    }
}

}  // namespace kelm
