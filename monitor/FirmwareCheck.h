// Whether the keyboard's firmware differs from the firmware package
// delivered beside the monitor, and which way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelm {

inline constexpr std::uint32_t kNoPackageVersion = 0xFFFFFFFF;

// The argument KelmFlash is started with: 1 when the package is newer, 0
// when it is older; nothing when they are equal or the keyboard reported
// version 0. Compared unsigned, so a missing package version (0xFFFFFFFF)
// is newer than any keyboard.
std::optional<int> FirmwareUpdateArgument(std::uint8_t keyboardVersion, std::uint32_t packageVersion);

// [Firmware] Version of the package description, as an unsigned 32-bit
// number: a missing file or key gives 0xFFFFFFFF, a negative value its
// two's complement, text that is no number 0.
std::uint32_t ReadPackageFirmwareVersion(const std::string& flashPackConfigPath);

}  // namespace kelm
