// The worker thread: a pass per start event, its messages in order, and a
// stop that waits for a running pass rather than cutting it short.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

#include "flash/FlashIds.h"
#include "flash/UpdateWorker.h"
#include "keyboard/Clock.h"

namespace kelm {
namespace {

using namespace std::chrono_literals;

struct Posted {
    std::uint32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    friend bool operator==(const Posted&, const Posted&) = default;
};

class RecordingWindow final : public IUpdateWindow {
public:
    void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
        const std::lock_guard lock(mutex_);
        posted_.push_back({msg, wParam, lParam});
        arrived_.notify_all();
    }
    bool WaitForResult(std::chrono::milliseconds within) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, within,
                                 [this] { return !posted_.empty() && posted_.back().msg == MSG_FLASH_RESULT; });
    }
    std::vector<Posted> Messages() {
        const std::lock_guard lock(mutex_);
        return posted_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Posted> posted_;
};

// Answers every status "done"; while held, the next status read waits.
class HeldKeyboard final : public IFeatureDevice {
public:
    bool SetFeature(std::span<const std::uint8_t> report) override { return report[0] == kUpdateCommandReportId; }
    bool GetFeature(std::span<std::uint8_t> buffer) override {
        std::unique_lock lock(mutex_);
        reading_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
        buffer[1] = kUpdateDone;
        return true;
    }
    void Hold() {
        const std::lock_guard lock(mutex_);
        held_ = true;
        reading_ = false;
    }
    bool WaitUntilReading() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 5s, [this] { return reading_; });
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        held_ = false;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool reading_ = false;
};

TEST(UpdateWorker, APassPostsEachBlockThenItsResultAndTheNextStartRunsAnother) {
    HeldKeyboard keyboard;
    VirtualClock clock;
    UpdateEngine engine(keyboard, clock, kDefaultUpdateSignatures);
    RecordingWindow window;
    UpdateWorker worker(engine, window);
    ASSERT_TRUE(worker.StartPass(FirmwareImage::FromBytes(MakeTestImage(2049, 3))));
    ASSERT_TRUE(window.WaitForResult(5s));
    EXPECT_EQ(window.Messages(), (std::vector<Posted>{{MSG_FLASH_PROGRESS, 0, 0},
                                                      {MSG_FLASH_PROGRESS, 1, 0},
                                                      {MSG_FLASH_PROGRESS, 2, 0},
                                                      {MSG_FLASH_RESULT, 0, 1}}));
    ASSERT_TRUE(worker.LastResult());
    EXPECT_TRUE(worker.LastResult()->ok);
    EXPECT_EQ(MSG_FLASH_PROGRESS, 1424u);
    EXPECT_EQ(MSG_FLASH_RESULT, 1426u);
}

TEST(UpdateWorker, StopWaitsForTheRunningPassAndNoPassStartsAfterIt) {
    HeldKeyboard keyboard;
    VirtualClock clock;
    UpdateEngine engine(keyboard, clock, kDefaultUpdateSignatures);
    RecordingWindow window;
    UpdateWorker worker(engine, window);
    keyboard.Hold();
    ASSERT_TRUE(worker.StartPass(FirmwareImage::FromBytes(MakeTestImage(10, 3))));
    ASSERT_TRUE(keyboard.WaitUntilReading());
    EXPECT_FALSE(worker.StartPass(FirmwareImage::FromBytes(MakeTestImage(10, 3)))) << "one pass at a time";

    auto stopped = std::async(std::launch::async, [&worker] { worker.Stop(); });
    EXPECT_EQ(stopped.wait_for(300ms), std::future_status::timeout) << "Stop returned while the pass ran";
    EXPECT_TRUE(worker.Busy());
    keyboard.Release();
    ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(worker.Busy());
    ASSERT_FALSE(window.Messages().empty());
    EXPECT_EQ(window.Messages().back(), (Posted{MSG_FLASH_RESULT, 0, 1})) << "the pass ran to its end";
    EXPECT_FALSE(worker.StartPass(FirmwareImage::FromBytes(MakeTestImage(10, 3))));
}

}  // namespace
}  // namespace kelm
