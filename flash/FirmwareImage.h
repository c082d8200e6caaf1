// The firmware package beside KelmFlash: FlashPack/config.ini names the
// image ([Firmware] Name) and may give the update mode's signatures; the
// image is loaded whole into the 204800-byte buffer, zero-filled past its
// end, with the checksum of every block it fills.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "keyboard/FirmwareUpdate.h"

namespace kelm {

// The longest Name the package's config.ini may give: what the original
// read into its 260-byte buffer. A longer one is refused rather than cut,
// which would name another file.
inline constexpr std::size_t kMaxImageNameLength = 259;

struct FlashPackConfig {
    std::string imageName;  // [Firmware] Name, as written
    UpdateSignatures signatures;
};

// Reads programFolder + "config.ini" (programFolder ends with '/'). A
// missing file or Name gives an empty imageName, which LoadImage refuses;
// damaged signatures fail the read with the reason in *error.
std::optional<FlashPackConfig> ReadFlashPackConfig(const std::string& programFolder, std::string* error);

// Where Name points: a Name without '/' lies in the program folder, one
// with '/' is used as it stands. A backslash is refused: it is a Windows
// package's path, which names no file here, and guessing which file was
// meant is no way to choose what goes into a keyboard.
std::optional<std::string> ImagePath(const std::string& programFolder, const std::string& name, std::string* error);

class FirmwareImage {
public:
    FirmwareImage() : buffer_(kMaxImageSize, 0) {}

    // The file's bytes at the start of a zeroed buffer, and the checksum of
    // every block; nothing, with the reason in *error, when the file cannot
    // be read or holds more than 204800 bytes.
    static std::optional<FirmwareImage> Load(const std::string& path, std::string* error);
    static FirmwareImage FromBytes(std::span<const std::uint8_t> bytes);  // at most 204800

    std::uint32_t Size() const { return size_; }
    std::size_t Blocks() const { return BlockCount(size_); }
    std::span<const std::uint8_t> Block(std::size_t n) const {
        return std::span<const std::uint8_t>(buffer_).subspan(n * kFirmwareBlockSize, kFirmwareBlockSize);
    }
    std::uint16_t Checksum(std::size_t n) const { return checksums_[n]; }

private:
    void Seal(std::uint32_t size);

    std::vector<std::uint8_t> buffer_;
    std::array<std::uint16_t, kMaxFirmwareBlocks> checksums_{};
    std::uint32_t size_ = 0;
};

// LoadImage: the image the package's config.ini names, in the program
// folder's way; nothing, with a message for the user, when there is none.
std::optional<FirmwareImage> LoadImage(const std::string& programFolder, const FlashPackConfig& config,
                                       std::string* error);

}  // namespace kelm
