#include "platform/gui/QtMessageLoop.h"

#include <fcntl.h>

#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace kelm {

QtMessageLoop::QtMessageLoop(const Clock& clock)
    : clock_(clock), context_(std::make_unique<QObject>()), wake_(std::make_unique<QTimer>()) {
    wake_->setSingleShot(true);
    wake_->setTimerType(Qt::PreciseTimer);
    QObject::connect(wake_.get(), &QTimer::timeout, context_.get(), [this] { FireDueTimers(); });
}

QtMessageLoop::~QtMessageLoop() = default;

void QtMessageLoop::Post(std::function<void()> task) {
    // Queued calls to one receiver are delivered in the order they were
    // posted, from every thread, and dropped with the receiver.
    QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
}

MessageLoop::WatchId QtMessageLoop::Watch(int fd, std::function<void()> onReady) {
    if (fd < 0 || ::fcntl(fd, F_GETFD) == -1) return 0;
    const WatchId id = nextWatch_++;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, context_.get());
    // A read notifier also fires when the peer hangs up, as the loop
    // interface promises.
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [callback = std::move(onReady)] { callback(); });
    watches_.emplace(id, notifier);
    return id;
}

void QtMessageLoop::Unwatch(WatchId id) {
    const auto it = watches_.find(id);
    if (it == watches_.end()) return;
    // The notifier may be the one whose callback is running: silence it now
    // and delete it once that callback has returned.
    it->second->setEnabled(false);
    it->second->deleteLater();
    watches_.erase(it);
}

void QtMessageLoop::SetTimer(unsigned id, std::chrono::milliseconds period) {
    timers_.Set(id, period, clock_.Now());
    Reschedule();
}

bool QtMessageLoop::KillTimer(unsigned id) {
    const bool killed = timers_.Kill(id);
    Reschedule();
    return killed;
}

void QtMessageLoop::FireDueTimers() {
    while (const std::optional<unsigned> id = timers_.PopDue(clock_.Now()))
        if (timerHandler_) timerHandler_(*id);
    Reschedule();
}

void QtMessageLoop::Reschedule() {
    const std::optional<TimerTable::Duration> wait = timers_.WaitUntilDue(clock_.Now());
    if (!wait) {
        wake_->stop();
        return;
    }
    wake_->start(static_cast<int>(std::min<TimerTable::Duration::rep>(wait->count(), std::numeric_limits<int>::max())));
}

}  // namespace kelm
