#include "setup/ThreadApplyRunner.h"

namespace kelm {

ThreadApplyRunner::~ThreadApplyRunner() {
    if (thread_.joinable()) thread_.join();
}

void ThreadApplyRunner::Run(int mode, Done done) {
    // The controller starts one apply at a time; the previous thread has
    // posted its answer and is ending.
    if (thread_.joinable()) thread_.join();
    thread_ = std::thread([this, mode, done = std::move(done)]() mutable {
        const std::optional<std::int64_t> answer = monitor_.RequestApply(mode);
        loop_.Post([done = std::move(done), answer] { done(answer); });
    });
}

}  // namespace kelm
