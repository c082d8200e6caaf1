// The input report by which the keyboard tells the host of an event, on
// the vendor interface that also carries the feature reports:
//
//   byte 0     report id (devbridge.ini EventReportId, default 0x20)
//   bytes 1-2  event type, little-endian (0x0D00 key function, 0x0200 profile, ...)
//   bytes 3-4  event data, little-endian
//   further bytes are ignored
//
// Reports with another id, shorter ones and type 0 (an idle report) carry
// no event. This layout is the suite's own: no real keyboard has been seen
// to send it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace kelm::bridge {

struct InputEvent {
    std::uint16_t type;
    std::uint16_t data;
    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

std::optional<InputEvent> DecodeInputReport(std::span<const std::uint8_t> report, std::uint8_t eventReportId);

}  // namespace kelm::bridge
