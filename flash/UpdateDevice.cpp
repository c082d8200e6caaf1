#include "flash/UpdateDevice.h"

#include <cstdlib>

#include "flash/FlashIds.h"

namespace kelm {

UpdateDevice::UpdateDevice(DeviceLibrary library)
    : library_(std::move(library)),
      feature_([this](const unsigned char* report, unsigned length) { return library_.SetFeature(report, length); },
               [this](unsigned char* report, unsigned length) { return library_.GetFeature(report, length); }) {}

std::unique_ptr<UpdateDevice> UpdateDevice::Open(const FlashFolders& folders, KelmWindow* window, std::string* error) {
    // The package may bring its own library; else the one KelmWatch loads.
    DeviceLibrary library = DeviceLibrary::Load(folders.program, error);
    if (!library) library = DeviceLibrary::Load(folders.installation, error);
    if (!library) return nullptr;
    std::unique_ptr<UpdateDevice> device(new UpdateDevice(std::move(library)));
    device->library_.OpenDevMonitor(window, MSG_FLASH_DEVICE_EVENT, MSG_FLASH_DEVICE_PRESENCE);
    device->keyboardOpen_ = device->library_.OpenFeatureDevice() != 0;
    return device;
}

UpdateDevice::~UpdateDevice() {
    library_.CloseDevMonitor();
    library_.CloseFeatureDevice();
}

std::string DeviceSettingText() {
    const char* setting = std::getenv("KELM_DEVICE");
    return setting != nullptr && *setting != '\0' ? std::string("KELM_DEVICE=") + setting
                                                  : std::string("the USB keyboard; KELM_DEVICE is not set");
}

}  // namespace kelm
