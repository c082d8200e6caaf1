// The seam over hidapi and the hotplug source, so that device matching, the
// monitor's steps and the failure paths are tested without a keyboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelm::bridge {

struct HidDeviceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    int interfaceNumber = -1;
};

// One opened HID interface. Results as hidapi gives them: bytes moved, 0
// for a read that timed out, -1 on failure (a removed device fails).
class HidDevice {
public:
    virtual ~HidDevice() = default;
    virtual int SendFeature(const std::uint8_t* data, std::size_t length) = 0;
    virtual int GetFeature(std::uint8_t* data, std::size_t length) = 0;
    virtual int Read(std::uint8_t* data, std::size_t length, int timeoutMs) = 0;
};

class HidApi {
public:
    virtual ~HidApi() = default;
    virtual std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;
    // Null when the device cannot be opened.
    virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;
};

// Tells when HID devices come or go.
class HotplugSource {
public:
    virtual ~HotplugSource() = default;
    // Waits up to timeoutMs; true when devices may have come or gone.
    virtual bool WaitForChange(int timeoutMs) = 0;
};

// hidapi over hidraw, and a libudev monitor of the hidraw subsystem (which
// rescans once a second where udev cannot be reached).
std::unique_ptr<HidApi> MakeSystemHidApi();
std::unique_ptr<HotplugSource> MakeUdevHotplug();

}  // namespace kelm::bridge
