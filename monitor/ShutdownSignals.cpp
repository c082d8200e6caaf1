#include "monitor/ShutdownSignals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace kelm {

namespace {

sigset_t TheSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void ShutdownSignals::Block() {
    const sigset_t set = TheSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

std::unique_ptr<ShutdownSignals> ShutdownSignals::Watch(MessageLoop& loop, std::function<void()> onSignal) {
    const sigset_t set = TheSignals();
    UniqueFd fd(::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!fd) return nullptr;
    std::unique_ptr<ShutdownSignals> signals(new ShutdownSignals(loop, std::move(fd)));
    const int raw = signals->fd_.Get();
    signals->watch_ = loop.Watch(raw, [raw, onSignal = std::move(onSignal)] {
        signalfd_siginfo info;
        bool any = false;
        while (::read(raw, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
        if (any) onSignal();
    });
    if (signals->watch_ == 0) return nullptr;
    return signals;
}

ShutdownSignals::~ShutdownSignals() {
    if (watch_ != 0) loop_.Unwatch(watch_);
}

}  // namespace kelm
