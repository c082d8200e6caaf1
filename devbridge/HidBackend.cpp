#include "devbridge/HidBackend.h"

#include <cstring>

#include "devbridge/HidInputReport.h"

namespace kelm::bridge {

HidMonitor::HidMonitor(HidApi& api, HotplugSource& hotplug, const HidConfig& config, MessageTarget target,
                       std::function<void()> onRemoved)
    : api_(api), hotplug_(hotplug), config_(config), target_(target), onRemoved_(std::move(onRemoved)) {}

void HidMonitor::Step() {
    if (rescan_) {
        rescan_ = false;
        Rescan();
    }
    if (!input_) {
        if (hotplug_.WaitForChange(kIdleMs)) rescan_ = true;
        return;
    }
    std::uint8_t report[64] = {};
    const int n = input_->Read(report, sizeof report, kReadMs);
    if (n < 0) {
        Lost();
        rescan_ = true;
        return;
    }
    if (const auto event = DecodeInputReport(std::span(report, static_cast<std::size_t>(n)), config_.eventReportId))
        target_.Event(event->type, event->data);
    if (hotplug_.WaitForChange(0)) rescan_ = true;
}

void HidMonitor::Rescan() {
    const auto keyboard = MatchKeyboard(api_.Enumerate(config_.vendorId, config_.productId), config_);
    if (!keyboard) {
        Lost();
        return;
    }
    if (input_) return;
    input_ = api_.Open(keyboard->path);
    if (input_ && !present_) {
        present_ = true;
        target_.Presence(true);
    }
}

void HidMonitor::Lost() {
    input_.reset();
    if (!present_) return;
    present_ = false;
    onRemoved_();
    target_.Presence(false);
}

HidBackend::HidBackend(std::unique_ptr<HidApi> api, HotplugFactory makeHotplug, std::optional<HidConfig> config)
    : api_(std::move(api)), makeHotplug_(std::move(makeHotplug)), config_(std::move(config)) {}

HidBackend::~HidBackend() { CloseMonitor(); }

void HidBackend::OpenMonitor(const MessageTarget& target) {
    CloseMonitor();
    if (!config_) return;
    stop_ = false;
    monitor_ = std::thread([this, target] {
        const auto hotplug = makeHotplug_();
        HidMonitor monitor(*api_, *hotplug, *config_, target, [this] { CloseFeature(); });
        while (!stop_) monitor.Step();
    });
}

void HidBackend::CloseMonitor() {
    if (!monitor_.joinable()) return;
    stop_ = true;
    monitor_.join();
}

bool HidBackend::OpenFeature() {
    if (!config_) return false;
    const auto keyboard = MatchKeyboard(api_->Enumerate(config_->vendorId, config_->productId), *config_);
    auto device = keyboard ? api_->Open(keyboard->path) : nullptr;
    std::lock_guard lock(featureMutex_);
    feature_ = std::move(device);
    return feature_ != nullptr;
}

void HidBackend::CloseFeature() {
    std::lock_guard lock(featureMutex_);
    feature_.reset();
}

bool HidBackend::SetFeature(const std::uint8_t* report, std::size_t length) {
    if (report == nullptr || length == 0) return false;
    std::lock_guard lock(featureMutex_);
    return feature_ && feature_->SendFeature(report, length) > 0;
}

bool HidBackend::GetFeature(std::uint8_t* report, std::size_t length) {
    if (report == nullptr || length == 0) return false;
    std::lock_guard lock(featureMutex_);
    if (!feature_) return false;
    const int n = feature_->GetFeature(report, length);
    if (n <= 0) return false;
    const auto got = static_cast<std::size_t>(n) < length ? static_cast<std::size_t>(n) : length;
    std::memset(report + got, 0, length - got);
    return true;
}

}  // namespace kelm::bridge
