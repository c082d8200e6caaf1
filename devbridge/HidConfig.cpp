#include "devbridge/HidConfig.h"

#include <charconv>

#include "platform/FileIo.h"
#include "settings/IniFile.h"
#include "settings/Text.h"

namespace kelm::bridge {

namespace {

constexpr const char* kSection = "Device";

std::optional<unsigned long> ParseNumber(std::string_view text, int base, unsigned long max) {
    text = Trim(text);
    if (base == 16 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")) text.remove_prefix(2);
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

// Absent keys give nothing and no error; malformed ones an error.
bool ReadNumber(const IniFile& file, const char* key, int base, unsigned long max, std::optional<unsigned long>& out,
                std::string* error) {
    const auto text = file.Lookup(kSection, key);
    if (!text) return true;
    out = ParseNumber(*text, base, max);
    if (out) return true;
    if (error != nullptr)
        *error = file.Path() + ": [Device] " + key + " must be a " + (base == 16 ? "hex" : "decimal") + " number";
    return false;
}

}  // namespace

std::optional<HidConfig> LoadHidConfig(const std::string& path, std::string* error) {
    if (!FileExists(path)) {
        if (error != nullptr) *error = path + " is missing: the keyboard's VendorId and ProductId are not known";
        return std::nullopt;
    }
    const IniFile file(path);
    std::optional<unsigned long> vendor, product, usagePage, interfaceNumber, reportId;
    if (!ReadNumber(file, "VendorId", 16, 0xFFFF, vendor, error) ||
        !ReadNumber(file, "ProductId", 16, 0xFFFF, product, error) ||
        !ReadNumber(file, "UsagePage", 16, 0xFFFF, usagePage, error) ||
        !ReadNumber(file, "Interface", 10, 255, interfaceNumber, error) ||
        !ReadNumber(file, "EventReportId", 16, 0xFF, reportId, error))
        return std::nullopt;
    if (!vendor || !product) {
        if (error != nullptr) *error = path + ": [Device] VendorId and ProductId are needed to find the keyboard";
        return std::nullopt;
    }
    HidConfig config;
    config.vendorId = static_cast<std::uint16_t>(*vendor);
    config.productId = static_cast<std::uint16_t>(*product);
    if (usagePage) config.usagePage = static_cast<std::uint16_t>(*usagePage);
    if (interfaceNumber) config.interfaceNumber = static_cast<int>(*interfaceNumber);
    if (reportId) config.eventReportId = static_cast<std::uint8_t>(*reportId);
    return config;
}

std::optional<HidDeviceInfo> MatchKeyboard(const std::vector<HidDeviceInfo>& devices, const HidConfig& config) {
    for (const HidDeviceInfo& device : devices) {
        if (device.vendorId != config.vendorId || device.productId != config.productId || device.path.empty()) continue;
        if (config.usagePage && device.usagePage != *config.usagePage) continue;
        if (config.interfaceNumber && device.interfaceNumber != *config.interfaceNumber) continue;
        return device;
    }
    return std::nullopt;
}

}  // namespace kelm::bridge
