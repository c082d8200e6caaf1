#include "monitor/FirmwareCheck.h"

#include "settings/IniFile.h"

namespace kelm {

std::optional<int> FirmwareUpdateArgument(std::uint8_t keyboardVersion, std::uint32_t packageVersion) {
    if (keyboardVersion == 0 || packageVersion == keyboardVersion) return std::nullopt;
    return packageVersion > keyboardVersion ? 1 : 0;
}

std::uint32_t ReadPackageFirmwareVersion(const std::string& flashPackConfigPath) {
    const IniFile file(flashPackConfigPath);
    const auto value = file.Lookup("Firmware", "Version");
    if (!value) return kNoPackageVersion;
    return static_cast<std::uint32_t>(ParseLeadingInt(*value));
}

}  // namespace kelm
