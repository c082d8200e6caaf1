// The keyboard for a program that may read it but must not change it: the
// selects of select-then-read go through (they only say what the next read
// answers), every other write is refused as not sent. Each read is told to
// an observer, with the select it answers.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "keyboard/FeatureDevice.h"
#include "keyboard/Reports.h"

namespace kelm::ctl {

struct ObservedRead {
    std::uint8_t reportId;
    // The last select sent, when it named this report.
    std::optional<ControlSelect> select;
    bool received;  // the transfer succeeded
    bool intact;    // and the report has its length, id and checksum
};

class ReadOnlyFeatureDevice final : public IFeatureDevice {
public:
    using Observer = std::function<void(const ObservedRead&)>;

    explicit ReadOnlyFeatureDevice(IFeatureDevice& keyboard, Observer observer = {})
        : keyboard_(keyboard), observer_(std::move(observer)) {}

    bool SetFeature(std::span<const std::uint8_t> report) override;
    bool GetFeature(std::span<std::uint8_t> buffer) override;

private:
    IFeatureDevice& keyboard_;
    Observer observer_;
    std::optional<ControlSelect> lastSelect_;
};

}  // namespace kelm::ctl
