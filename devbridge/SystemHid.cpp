// The real hidapi and libudev behind the seam of HidApi.h.
#include <hidapi.h>
#include <libudev.h>
#include <poll.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "devbridge/HidApi.h"

namespace kelm::bridge {

namespace {

class SystemHidDevice final : public HidDevice {
public:
    explicit SystemHidDevice(hid_device* device) : device_(device) {}
    ~SystemHidDevice() override { hid_close(device_); }
    SystemHidDevice(const SystemHidDevice&) = delete;
    SystemHidDevice& operator=(const SystemHidDevice&) = delete;

    int SendFeature(const std::uint8_t* data, std::size_t length) override {
        return hid_send_feature_report(device_, data, length);
    }
    int GetFeature(std::uint8_t* data, std::size_t length) override {
        return hid_get_feature_report(device_, data, length);
    }
    int Read(std::uint8_t* data, std::size_t length, int timeoutMs) override {
        return hid_read_timeout(device_, data, length, timeoutMs);
    }

private:
    hid_device* device_;
};

class SystemHidApi final : public HidApi {
public:
    SystemHidApi() {
        static std::once_flag once;
        std::call_once(once, [] { hid_init(); });
    }

    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
        std::vector<HidDeviceInfo> found;
        hid_device_info* list = hid_enumerate(vendorId, productId);
        for (const hid_device_info* info = list; info != nullptr; info = info->next) {
            HidDeviceInfo device;
            device.path = info->path != nullptr ? info->path : "";
            device.vendorId = info->vendor_id;
            device.productId = info->product_id;
            device.usagePage = info->usage_page;
            device.interfaceNumber = info->interface_number;
            found.push_back(std::move(device));
        }
        hid_free_enumeration(list);
        return found;
    }

    std::unique_ptr<HidDevice> Open(const std::string& path) override {
        hid_device* device = hid_open_path(path.c_str());
        if (device == nullptr) return nullptr;
        return std::make_unique<SystemHidDevice>(device);
    }
};

class UdevHotplug final : public HotplugSource {
public:
    UdevHotplug() : udev_(udev_new()) {
        if (udev_ == nullptr) return;
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (monitor_ != nullptr && (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) != 0 ||
                                    udev_monitor_enable_receiving(monitor_) != 0)) {
            udev_monitor_unref(monitor_);
            monitor_ = nullptr;
        }
    }
    ~UdevHotplug() override {
        if (monitor_ != nullptr) udev_monitor_unref(monitor_);
        if (udev_ != nullptr) udev_unref(udev_);
    }
    UdevHotplug(const UdevHotplug&) = delete;
    UdevHotplug& operator=(const UdevHotplug&) = delete;

    bool WaitForChange(int timeoutMs) override {
        if (monitor_ == nullptr) return WaitWithoutUdev(timeoutMs);
        pollfd p{udev_monitor_get_fd(monitor_), POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return false;
        bool changed = false;
        while (udev_device* device = udev_monitor_receive_device(monitor_)) {
            changed = true;
            udev_device_unref(device);
        }
        return changed;
    }

private:
    // Without udev's events, a rescan once a second notices the keyboard.
    bool WaitWithoutUdev(int timeoutMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        const auto now = std::chrono::steady_clock::now();
        if (now - lastRescan_ < std::chrono::seconds(1)) return false;
        lastRescan_ = now;
        return true;
    }

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::chrono::steady_clock::time_point lastRescan_{};
};

}  // namespace

std::unique_ptr<HidApi> MakeSystemHidApi() { return std::make_unique<SystemHidApi>(); }
std::unique_ptr<HotplugSource> MakeUdevHotplug() { return std::make_unique<UdevHotplug>(); }

}  // namespace kelm::bridge
