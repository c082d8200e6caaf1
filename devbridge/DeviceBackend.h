// One way of reaching the keyboard. Each backend synchronises itself:
// feature calls may come from several threads at once and while the
// monitor runs.
#pragma once

#include <cstdint>

#include "devbridge/DevBridge.h"

namespace kelm::bridge {

// Where the monitor posts keyboard events and presence changes.
class MessageTarget {
public:
    MessageTarget() = default;
    MessageTarget(KelmWindow* window, unsigned eventMsg, unsigned presenceMsg)
        : window_(window), eventMsg_(eventMsg), presenceMsg_(presenceMsg) {}

    void Event(std::uint16_t type, std::uint16_t data) const { Post(eventMsg_, type, data); }
    void Presence(bool plugged) const { Post(presenceMsg_, plugged ? 1 : 0, 0); }

private:
    void Post(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) const {
        if (window_ != nullptr && window_->post != nullptr) window_->post(window_, msg, wParam, lParam);
    }

    KelmWindow* window_ = nullptr;
    unsigned eventMsg_ = 0;
    unsigned presenceMsg_ = 0;
};

class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;
    // Starts delivering to target; a monitor already running is stopped first.
    virtual void OpenMonitor(const MessageTarget& target) = 0;
    // Stops the monitor; nothing is posted once this returns.
    virtual void CloseMonitor() = 0;
    virtual bool OpenFeature() = 0;
    virtual void CloseFeature() = 0;
    virtual bool SetFeature(const std::uint8_t* report, std::size_t length) = 0;
    virtual bool GetFeature(std::uint8_t* report, std::size_t length) = 0;
};

}  // namespace kelm::bridge
