// How a kelmctl command reaches the keyboard: through the running
// KelmWatch, which owns it, or, when none runs, through the program
// folder's device library.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "keyboard/FeatureDevice.h"
#include "platform/DeviceLibrary.h"
#include "settings/SettingsRecord.h"

namespace kelm::ctl {

// KelmWatch owns the keyboard while it runs: its window answers, or its
// instance mutex is held (a monitor that is starting has no window yet).
bool MonitorRunning();

// " (KELM_DEVICE=emu:...)" or " (the USB keyboard; ...)", for messages
// that say which keyboard was looked for.
std::string DeviceSetting();

// The keyboard's feature device, open for as long as this lives.
class OpenKeyboard {
public:
    // Nothing, with the reason in error, when the library cannot be loaded
    // or no keyboard answers.
    static std::unique_ptr<OpenKeyboard> Open(const std::string& programFolder, std::string& error);
    ~OpenKeyboard();
    OpenKeyboard(const OpenKeyboard&) = delete;
    OpenKeyboard& operator=(const OpenKeyboard&) = delete;

    IFeatureDevice& Device() { return device_; }

private:
    explicit OpenKeyboard(DeviceLibrary library);

    DeviceLibrary library_;
    DevBridgeFeatureDevice device_;
};

// Takes working over into KelmWatch as the configuration program's Apply
// does: the whole record with its change flags into the shared block, then
// MSG_APPLY_SETTINGS (reset: wParam 1). Nothing when the keyboard got
// everything, else what went wrong.
std::optional<std::string> ApplyThroughMonitor(const SettingsRecord& working, bool reset);

// KelmWatch's record from its shared block; nothing, with the reason in
// error, when there is no block or it cannot be read.
std::unique_ptr<SettingsRecord> ReadMonitorRecord(std::string& error);

}  // namespace kelm::ctl
