// The Pact registration file PConfig.ini in the folder shared with the
// maker's other devices: each participating program has a section whose
// "Name" identifies it; the Pact monitor finds this monitor's window by the
// section's "WindowName" and follows the keyboard by its "Device".
#pragma once

#include <string>

namespace kelm {

inline constexpr const char* kPactConfigFileName = "PConfig.ini";

class PactRegistration {
public:
    explicit PactRegistration(std::string path) : path_(std::move(path)) {}

    // Adds section "Kelm" (Name, WindowName, Device 0) unless some section's
    // Name already says "Kelm" in any case; that section is then left as it
    // is and is the one Device is written to.
    void Register();
    // Device: 1 connected, 2 removed or monitor ended, 0 not found at start.
    // A file that cannot be written is not reported.
    void WriteDeviceStatus(int value);

private:
    std::string path_;
    std::string section_ = "Kelm";
};

}  // namespace kelm
