// The keyboard as the protocol sees it: whole feature reports in and out.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <utility>

namespace kelm {

class IFeatureDevice {
public:
    virtual ~IFeatureDevice() = default;
    // Sends the whole report, byte 0 = report id; true when it was sent.
    virtual bool SetFeature(std::span<const std::uint8_t> report) = 0;
    // The caller puts the report id in byte 0 of a zeroed buffer of the
    // report's full length; the device fills it, byte 0 included.
    virtual bool GetFeature(std::span<std::uint8_t> buffer) = 0;
};

// The device library's two report entry points, however the caller found
// them: the entry points themselves or calls through a loaded library.
class DevBridgeFeatureDevice final : public IFeatureDevice {
public:
    using SetFeatureFn = std::function<int(const unsigned char* report, unsigned int length)>;
    using GetFeatureFn = std::function<int(unsigned char* report, unsigned int length)>;

    // A missing entry point makes every call through it fail.
    DevBridgeFeatureDevice(SetFeatureFn setFeature, GetFeatureFn getFeature)
        : setFeature_(std::move(setFeature)), getFeature_(std::move(getFeature)) {}

    bool SetFeature(std::span<const std::uint8_t> report) override;
    bool GetFeature(std::span<std::uint8_t> buffer) override;

private:
    SetFeatureFn setFeature_;
    GetFeatureFn getFeature_;
};

}  // namespace kelm
