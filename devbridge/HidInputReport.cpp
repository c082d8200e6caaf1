#include "devbridge/HidInputReport.h"

namespace kelm::bridge {

std::optional<InputEvent> DecodeInputReport(std::span<const std::uint8_t> report, std::uint8_t eventReportId) {
    if (report.size() < 5 || report[0] != eventReportId) return std::nullopt;
    const auto type = static_cast<std::uint16_t>(report[1] | (report[2] << 8));
    const auto data = static_cast<std::uint16_t>(report[3] | (report[4] << 8));
    if (type == 0) return std::nullopt;
    return InputEvent{type, data};
}

}  // namespace kelm::bridge
