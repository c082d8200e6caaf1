#include "tools/kelmctl/ReadOnlyFeatureDevice.h"

namespace kelm::ctl {

namespace {

bool SelectNames(const ReportInfo& info, std::uint8_t selectCode) {
    if (info.selectCode == kSelectByKeyIndex) return selectCode < kMacroCapableKeys;
    return info.selectCode == selectCode;
}

}  // namespace

bool ReadOnlyFeatureDevice::SetFeature(std::span<const std::uint8_t> report) {
    const auto select = ParseControlSelect(report);
    if (!select) return false;
    if (!keyboard_.SetFeature(report)) return false;
    lastSelect_ = select;
    return true;
}

bool ReadOnlyFeatureDevice::GetFeature(std::span<std::uint8_t> buffer) {
    if (buffer.empty()) return keyboard_.GetFeature(buffer);
    // The device overwrites the id with what it received.
    const std::uint8_t id = buffer[0];
    const bool received = keyboard_.GetFeature(buffer);
    if (observer_) {
        const ReportInfo* info = FindReportInfo(id);
        ObservedRead read{id, std::nullopt, received, received && info != nullptr && FrameValid(buffer, info->id)};
        if (info != nullptr && lastSelect_ && SelectNames(*info, lastSelect_->selectCode)) read.select = lastSelect_;
        observer_(read);
    }
    return received;
}

}  // namespace kelm::ctl
