#include "tools/kelmctl/KeyboardAccess.h"

#include <cstdlib>

#include "platform/NamedMutex.h"
#include "platform/WindowClient.h"
#include "suite/SharedSettings.h"
#include "suite/SuiteIds.h"

namespace kelm::ctl {

bool MonitorRunning() { return FindWindow(kMonitorTitle) || static_cast<bool>(NamedMutex::Open(kInstanceMutexName)); }

std::string DeviceSetting() {
    const char* setting = std::getenv("KELM_DEVICE");
    return setting != nullptr && *setting != '\0' ? std::string(" (KELM_DEVICE=") + setting + ")"
                                                  : std::string(" (the USB keyboard; KELM_DEVICE is not set)");
}

std::unique_ptr<OpenKeyboard> OpenKeyboard::Open(const std::string& programFolder, std::string& error) {
    DeviceLibrary library = DeviceLibrary::Load(programFolder, &error);
    if (!library) return nullptr;
    if (library.OpenFeatureDevice() == 0) {
        error = "no keyboard found" + DeviceSetting();
        return nullptr;
    }
    return std::unique_ptr<OpenKeyboard>(new OpenKeyboard(std::move(library)));
}

OpenKeyboard::OpenKeyboard(DeviceLibrary library)
    : library_(std::move(library)),
      device_([this](const unsigned char* report, unsigned length) { return library_.SetFeature(report, length); },
              [this](unsigned char* report, unsigned length) { return library_.GetFeature(report, length); }) {}

OpenKeyboard::~OpenKeyboard() { library_.CloseFeatureDevice(); }

std::optional<std::string> ApplyThroughMonitor(const SettingsRecord& working, bool reset) {
    SharedSettings block;
    if (!block.Open()) return "KelmWatch's settings block is not there; nothing was sent";
    if (!block.Write(working)) return "cannot write KelmWatch's settings block; nothing was sent";
    const std::optional<std::int64_t> result = SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, reset ? 1 : 0, 0);
    if (!result) return "KelmWatch did not answer; the settings are in its block but may not have been sent";
    if (*result != 1)
        return "KelmWatch took the settings over, but the keyboard did not get every change (is it connected?)";
    return std::nullopt;
}

std::unique_ptr<SettingsRecord> ReadMonitorRecord(std::string& error) {
    SharedSettings block;
    auto record = std::make_unique<SettingsRecord>();
    if (!block.Open()) {
        error = "KelmWatch's settings block is not there";
        return nullptr;
    }
    if (!block.Read(*record)) {
        error = "cannot read KelmWatch's settings block";
        return nullptr;
    }
    return record;
}

}  // namespace kelm::ctl
