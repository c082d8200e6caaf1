#include "platform/DeviceLibrary.h"

#include <dlfcn.h>

namespace kelm {

namespace {

template <typename Function>
bool Resolve(void* handle, const char* name, Function& out, std::string* error) {
    out = reinterpret_cast<Function>(::dlsym(handle, name));
    if (out != nullptr) return true;
    if (error != nullptr) *error = std::string(kDeviceLibraryName) + " lacks the entry point " + name;
    return false;
}

}  // namespace

void DeviceLibrary::Closer::operator()(void* handle) const { ::dlclose(handle); }

DeviceLibrary DeviceLibrary::Load(const std::string& programFolder, std::string* error) {
    std::string path = programFolder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += kDeviceLibraryName;
    DeviceLibrary library;
    library.handle_.reset(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library.handle_) {
        const char* why = ::dlerror();
        if (error != nullptr) *error = "cannot load " + path + ": " + (why != nullptr ? why : "unknown error");
        return {};
    }
    void* handle = library.handle_.get();
    Entries& e = library.entries_;
    if (!Resolve(handle, "Open_DevMonitor", e.openDevMonitor, error) ||
        !Resolve(handle, "Close_DevMonitor", e.closeDevMonitor, error) ||
        !Resolve(handle, "Open_FeatureDevice", e.openFeatureDevice, error) ||
        !Resolve(handle, "Close_FeatureDevice", e.closeFeatureDevice, error) ||
        !Resolve(handle, "SetFeature", e.setFeature, error) || !Resolve(handle, "GetFeature", e.getFeature, error) ||
        !Resolve(handle, "GetMousePID", e.getMousePID, error))
        return {};
    return library;
}

void DeviceLibrary::OpenDevMonitor(KelmWindow* window, unsigned eventMsg, unsigned presenceMsg) const {
    if (handle_) entries_.openDevMonitor(window, eventMsg, presenceMsg);
}

void DeviceLibrary::CloseDevMonitor() const {
    if (handle_) entries_.closeDevMonitor();
}

int DeviceLibrary::OpenFeatureDevice() const { return handle_ ? entries_.openFeatureDevice() : 0; }

void DeviceLibrary::CloseFeatureDevice() const {
    if (handle_) entries_.closeFeatureDevice();
}

int DeviceLibrary::SetFeature(const unsigned char* report, unsigned length) const {
    return handle_ ? entries_.setFeature(report, length) : 0;
}

int DeviceLibrary::GetFeature(unsigned char* report, unsigned length) const {
    return handle_ ? entries_.getFeature(report, length) : 0;
}

int DeviceLibrary::GetMousePID() const { return handle_ ? entries_.getMousePID() : 0; }

}  // namespace kelm
