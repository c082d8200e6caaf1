// devbridge as KelmFlash holds it: the library loaded from the package's
// folder (else the installation's), the window it posts to, and the
// keyboard opened, each released in KelmFlash's order when this ends:
// Close_DevMonitor, Close_FeatureDevice, then the library. Whoever runs
// update passes on it must have stopped them first (UpdateWorker::Stop).
#pragma once

#include <memory>
#include <string>

#include "flash/FlashFolders.h"
#include "keyboard/FeatureDevice.h"
#include "platform/DeviceLibrary.h"

namespace kelm {

class UpdateDevice {
public:
    // Loads the library and calls Open_DevMonitor (messages 1325 and 1326 to
    // window, which KelmFlash ignores) and Open_FeatureDevice. Null, with
    // the reason in *error, when no library can be loaded; a keyboard that
    // cannot be opened is told by KeyboardOpen.
    static std::unique_ptr<UpdateDevice> Open(const FlashFolders& folders, KelmWindow* window, std::string* error);
    ~UpdateDevice();
    UpdateDevice(const UpdateDevice&) = delete;
    UpdateDevice& operator=(const UpdateDevice&) = delete;

    bool KeyboardOpen() const { return keyboardOpen_; }
    IFeatureDevice& Feature() { return feature_; }

private:
    explicit UpdateDevice(DeviceLibrary library);

    DeviceLibrary library_;
    DevBridgeFeatureDevice feature_;
    bool keyboardOpen_ = false;
};

// What KELM_DEVICE chooses, for messages about a keyboard not found.
std::string DeviceSettingText();

}  // namespace kelm
