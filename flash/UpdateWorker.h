// The thread that runs update passes, as the update window starts them: it
// waits on its start event, runs RunUpdate, and posts the progress of each
// block (MSG_FLASH_PROGRESS, wParam = block) and the outcome
// (MSG_FLASH_RESULT, lParam 1 or 0) to the window, whose loop receives them
// on its own thread.
//
//   Waiting ──start event──► Running ──pass ends, result posted──► Waiting
//   Waiting ──stop──► Ended
//   Running ──stop──► (the pass runs to its end) ──► Ended
//
// A running pass is never cut short: the keyboard would be left between two
// commands of its update mode. Stop therefore waits for the pass, and only
// then may the caller release the device library.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "flash/UpdateEngine.h"

namespace kelm {

// Where the worker's messages go; called on the worker's thread, so it must
// only queue them for the window's thread (PostMessage).
class IUpdateWindow {
public:
    virtual ~IUpdateWindow() = default;
    virtual void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

class UpdateWorker {
public:
    // Starts the thread, waiting for its start event.
    UpdateWorker(UpdateEngine& engine, IUpdateWindow& window);
    // Stop.
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    // Hands the image over and signals the start event; false while a pass
    // is pending or running, or after Stop.
    bool StartPass(FirmwareImage image);
    // True from StartPass until the result has been posted.
    bool Busy() const;
    // The outcome of the last pass, once its result message is posted.
    std::optional<UpdateResult> LastResult() const;

    // Sets the stop flag and signals the event; waits for a running pass to
    // end and the thread with it.
    void Stop();

private:
    void Run();

    UpdateEngine& engine_;
    IUpdateWindow& window_;
    mutable std::mutex mutex_;
    std::condition_variable signalled_;
    bool startEvent_ = false;  // auto-reset: taken by the thread that wakes
    bool stop_ = false;
    bool busy_ = false;
    std::optional<FirmwareImage> image_;
    std::optional<UpdateResult> result_;
    std::thread thread_;
};

}  // namespace kelm
