// libdevbridge.so, loaded from a program folder with its seven entry
// points. Loading fails as a whole, with a reason, when the library or any
// entry point is missing, so a loaded library can always be called.
#pragma once

#include <memory>
#include <string>

#include "devbridge/DevBridge.h"

namespace kelm {

inline constexpr const char* kDeviceLibraryName = "libdevbridge.so";

class DeviceLibrary {
public:
    DeviceLibrary() = default;
    // From programFolder (with or without a trailing '/'). Empty, with the
    // reason in *error when given, on failure.
    static DeviceLibrary Load(const std::string& programFolder, std::string* error = nullptr);

    explicit operator bool() const { return static_cast<bool>(handle_); }

    // Each call does nothing and fails (0) on an empty library.
    void OpenDevMonitor(KelmWindow* window, unsigned eventMsg, unsigned presenceMsg) const;
    void CloseDevMonitor() const;
    int OpenFeatureDevice() const;
    void CloseFeatureDevice() const;
    int SetFeature(const unsigned char* report, unsigned length) const;
    int GetFeature(unsigned char* report, unsigned length) const;
    int GetMousePID() const;

private:
    struct Entries {
        Open_DevMonitor_fn openDevMonitor = nullptr;
        Close_DevMonitor_fn closeDevMonitor = nullptr;
        Open_FeatureDevice_fn openFeatureDevice = nullptr;
        Close_FeatureDevice_fn closeFeatureDevice = nullptr;
        SetFeature_fn setFeature = nullptr;
        GetFeature_fn getFeature = nullptr;
        GetMousePID_fn getMousePID = nullptr;
    };
    struct Closer {
        void operator()(void* handle) const;
    };

    std::unique_ptr<void, Closer> handle_;
    Entries entries_;
};

}  // namespace kelm
