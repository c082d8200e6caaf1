#include "keyboard/FeatureDevice.h"

#include <limits>

namespace kelm {

namespace {

bool FitsLength(std::size_t size) { return size > 0 && size <= std::numeric_limits<unsigned int>::max(); }

}  // namespace

bool DevBridgeFeatureDevice::SetFeature(std::span<const std::uint8_t> report) {
    if (setFeature_ == nullptr || !FitsLength(report.size())) return false;
    return setFeature_(report.data(), static_cast<unsigned int>(report.size())) != 0;
}

bool DevBridgeFeatureDevice::GetFeature(std::span<std::uint8_t> buffer) {
    if (getFeature_ == nullptr || !FitsLength(buffer.size())) return false;
    return getFeature_(buffer.data(), static_cast<unsigned int>(buffer.size())) != 0;
}

}  // namespace kelm
