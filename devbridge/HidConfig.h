// How the hid backend finds the keyboard: devbridge.ini in the program
// folder (the library's own folder, or $KELM_HOME), for example
//
//   [Device]
//   VendorId=0x1A2C        hex, "0x" optional; required
//   ProductId=0x0E24       hex; required
//   UsagePage=0xFF00       hex; optional: the usage page of the interface
//                          that carries the feature and event reports
//   Interface=1            decimal; optional: its USB interface number
//   EventReportId=0x20     hex; optional, default 0x20: the input report
//                          that carries keyboard events (HidInputReport.h)
//
// A keyboard offers several HID interfaces (keys, media keys, the vendor
// interface); UsagePage and Interface pick the vendor one. Without them the
// first interface with the right ids is taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devbridge/HidApi.h"

namespace kelm::bridge {

struct HidConfig {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::optional<std::uint16_t> usagePage;
    std::optional<int> interfaceNumber;
    std::uint8_t eventReportId = 0x20;
};

// Nothing, with the reason in *error, when the file is missing or a value
// is missing or malformed.
std::optional<HidConfig> LoadHidConfig(const std::string& path, std::string* error = nullptr);

// The interface of the keyboard among what hidapi enumerated.
std::optional<HidDeviceInfo> MatchKeyboard(const std::vector<HidDeviceInfo>& devices, const HidConfig& config);

}  // namespace kelm::bridge
