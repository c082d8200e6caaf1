// The real keyboard through hidapi (hidraw), with hotplug from libudev.
// Not yet tried on a real keyboard: the event input report is the suite's
// own layout (HidInputReport.h).
//
// Monitor, one step at a time on its own thread:
//
//   Absent ──rescan finds and opens the keyboard──► Present (posts presence 1)
//     ▲                                               │ read fails, or a rescan
//     └──── posts presence 0, closes the feature ─────┘ no longer finds it
//           channel so that calls fail at once
//
// A rescan follows every hotplug change; while Present the step reads one
// input report (at most kReadMs) and posts the event it carries.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "devbridge/DeviceBackend.h"
#include "devbridge/HidApi.h"
#include "devbridge/HidConfig.h"

namespace kelm::bridge {

class HidMonitor {
public:
    static constexpr int kReadMs = 100;
    static constexpr int kIdleMs = 200;

    HidMonitor(HidApi& api, HotplugSource& hotplug, const HidConfig& config, MessageTarget target,
               std::function<void()> onRemoved);
    // One round; waits at most about kIdleMs.
    void Step();
    bool Present() const { return present_; }

private:
    void Rescan();
    void Lost();

    HidApi& api_;
    HotplugSource& hotplug_;
    const HidConfig config_;
    const MessageTarget target_;
    const std::function<void()> onRemoved_;
    std::unique_ptr<HidDevice> input_;
    bool present_ = false;
    bool rescan_ = true;
};

class HidBackend final : public DeviceBackend {
public:
    using HotplugFactory = std::function<std::unique_ptr<HotplugSource>()>;

    // Without a config (devbridge.ini missing or wrong) nothing is ever found.
    HidBackend(std::unique_ptr<HidApi> api, HotplugFactory makeHotplug, std::optional<HidConfig> config);
    ~HidBackend() override;

    void OpenMonitor(const MessageTarget& target) override;
    void CloseMonitor() override;
    bool OpenFeature() override;
    void CloseFeature() override;
    bool SetFeature(const std::uint8_t* report, std::size_t length) override;
    bool GetFeature(std::uint8_t* report, std::size_t length) override;

private:
    std::unique_ptr<HidApi> api_;
    HotplugFactory makeHotplug_;
    const std::optional<HidConfig> config_;

    std::thread monitor_;
    std::atomic<bool> stop_{false};

    std::mutex featureMutex_;
    std::unique_ptr<HidDevice> feature_;
};

}  // namespace kelm::bridge
