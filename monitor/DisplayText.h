// Display texts that other programs hand the monitor: stored for KelmOSD in
// config.ini ([OSDData] Message), and KelmOSD told to show it while the
// keyboard is connected.
#pragma once

#include <string>

#include "monitor/HostActions.h"
#include "monitor/MonitorPorts.h"

namespace kelm {

class OsdDisplayText final : public IDisplayText {
public:
    OsdDisplayText(IWindowDirectory& windows, std::string configPath)
        : windows_(windows), configPath_(std::move(configPath)) {}

    // A text that cannot be stored is still announced: KelmOSD then shows
    // the text stored before, as it would show a text stored by anyone.
    void ShowDisplayText(std::string_view text, bool keyboardConnected) override;

private:
    IWindowDirectory& windows_;
    std::string configPath_;
};

}  // namespace kelm
