#include "flash/UpdateWorker.h"

#include "flash/FlashIds.h"

namespace kelm {

namespace {

class PostedProgress final : public IUpdateProgress {
public:
    explicit PostedProgress(IUpdateWindow& window) : window_(window) {}
    void BlockWritten(std::size_t block) override { window_.PostMessage(MSG_FLASH_PROGRESS, block, 0); }

private:
    IUpdateWindow& window_;
};

}  // namespace

UpdateWorker::UpdateWorker(UpdateEngine& engine, IUpdateWindow& window)
    : engine_(engine), window_(window), thread_([this] { Run(); }) {}

UpdateWorker::~UpdateWorker() { Stop(); }

bool UpdateWorker::StartPass(FirmwareImage image) {
    {
        const std::lock_guard lock(mutex_);
        if (busy_ || stop_) return false;
        image_ = std::move(image);
        busy_ = true;
        startEvent_ = true;
    }
    signalled_.notify_one();
    return true;
}

bool UpdateWorker::Busy() const {
    const std::lock_guard lock(mutex_);
    return busy_;
}

std::optional<UpdateResult> UpdateWorker::LastResult() const {
    const std::lock_guard lock(mutex_);
    return result_;
}

void UpdateWorker::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        startEvent_ = true;
    }
    signalled_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void UpdateWorker::Run() {
    for (;;) {
        std::unique_lock lock(mutex_);
        if (stop_) return;
        signalled_.wait(lock, [this] { return startEvent_; });
        startEvent_ = false;
        if (stop_) {
            // A pass handed over but not begun is not begun now.
            busy_ = false;
            return;
        }
        const FirmwareImage image = std::move(*image_);
        image_.reset();
        lock.unlock();

        PostedProgress progress(window_);
        UpdateResult result = engine_.RunUpdate(image, progress);
        const bool ok = result.ok;
        lock.lock();
        result_ = std::move(result);
        busy_ = false;
        lock.unlock();
        window_.PostMessage(MSG_FLASH_RESULT, 0, ok ? 1 : 0);
    }
}

}  // namespace kelm
