// The seven entry points of libdevbridge.so. They pick the backend by
// KELM_DEVICE whenever one is opened while none is in use, so a program can
// close everything and open again against another device.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "devbridge/DevBridge.h"
#include "devbridge/EmuBackend.h"
#include "devbridge/HidBackend.h"
#include "devbridge/HidConfig.h"
#include "emulator/EmuWire.h"

namespace kelm::bridge {
namespace {

// The program folder: $KELM_HOME, else the folder this library was loaded from.
std::string ProgramFolder() {
    if (const char* home = std::getenv("KELM_HOME"); home != nullptr && *home != '\0') {
        std::string folder = home;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ProgramFolder), &info) == 0 || info.dli_fname == nullptr) return "./";
    const std::string path = info.dli_fname;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

void Complain(const std::string& text) { std::fprintf(stderr, "devbridge: %s\n", text.c_str()); }

std::shared_ptr<DeviceBackend> MakeBackend() {
    const char* setting = std::getenv("KELM_DEVICE");
    const std::string device = setting != nullptr ? setting : "";
    if (device.empty() || device == "hid") {
        std::string error;
        auto config = LoadHidConfig(ProgramFolder() + "devbridge.ini", &error);
        if (!config) Complain(error);
        return std::make_shared<HidBackend>(MakeSystemHidApi(), MakeUdevHotplug, std::move(config));
    }
    std::string error;
    if (const auto socket = emu::EmuSocketFromDeviceSetting(device, &error)) {
        if (socket->empty()) {
            Complain("no socket for KelmEmu: " + error);
            return nullptr;
        }
        return std::make_shared<EmuBackend>(*socket);
    }
    Complain("KELM_DEVICE=" + device + " names no device; use hid, emu or emu:<socket>");
    return nullptr;
}

class Bridge {
public:
    // Static objects end when the library is unloaded: the monitor's thread
    // must not outlive the code it runs.
    ~Bridge() {
        if (backend_) backend_->CloseMonitor();
    }

    void OpenMonitor(const MessageTarget& target) {
        std::lock_guard lock(mutex_);
        if (!Acquire()) return;
        backend_->OpenMonitor(target);
        monitorOpen_ = true;
    }
    void CloseMonitor() {
        std::lock_guard lock(mutex_);
        if (!backend_) return;
        backend_->CloseMonitor();
        monitorOpen_ = false;
        ReleaseIfIdle();
    }
    bool OpenFeature() {
        std::shared_ptr<DeviceBackend> backend;
        {
            std::lock_guard lock(mutex_);
            if (!Acquire()) return false;
            featureOpen_ = true;
            backend = backend_;
        }
        return backend->OpenFeature();
    }
    void CloseFeature() {
        std::lock_guard lock(mutex_);
        if (!backend_) return;
        backend_->CloseFeature();
        featureOpen_ = false;
        ReleaseIfIdle();
    }
    // The backend for a transfer; a transfer never holds the bridge's lock,
    // so a slow one does not hold up closing from another thread.
    std::shared_ptr<DeviceBackend> Current() {
        std::lock_guard lock(mutex_);
        return featureOpen_ ? backend_ : nullptr;
    }

private:
    bool Acquire() {
        if (!backend_) backend_ = MakeBackend();
        return backend_ != nullptr;
    }
    void ReleaseIfIdle() {
        if (!monitorOpen_ && !featureOpen_) backend_.reset();
    }

    std::mutex mutex_;
    std::shared_ptr<DeviceBackend> backend_;
    bool monitorOpen_ = false;
    bool featureOpen_ = false;
};

Bridge& TheBridge() {
    static Bridge bridge;
    return bridge;
}

}  // namespace
}  // namespace kelm::bridge

using kelm::bridge::TheBridge;

extern "C" {

void Open_DevMonitor(KelmWindow* window, unsigned int eventMsg, unsigned int presenceMsg) {
    TheBridge().OpenMonitor(kelm::bridge::MessageTarget(window, eventMsg, presenceMsg));
}

void Close_DevMonitor(void) { TheBridge().CloseMonitor(); }

int Open_FeatureDevice(void) { return TheBridge().OpenFeature() ? 1 : 0; }

void Close_FeatureDevice(void) { TheBridge().CloseFeature(); }

int SetFeature(const unsigned char* report, unsigned int length) {
    const auto backend = TheBridge().Current();
    return backend && backend->SetFeature(report, length) ? 1 : 0;
}

int GetFeature(unsigned char* report, unsigned int length) {
    const auto backend = TheBridge().Current();
    return backend && backend->GetFeature(report, length) ? 1 : 0;
}

int GetMousePID(void) { return 0; }

}  // extern "C"
