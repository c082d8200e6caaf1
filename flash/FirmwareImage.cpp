#include "flash/FirmwareImage.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "settings/IniFile.h"

namespace kelm {

std::optional<FlashPackConfig> ReadFlashPackConfig(const std::string& programFolder, std::string* error) {
    const IniFile file(programFolder + "config.ini");
    if (!file.Readable()) {
        if (error != nullptr) *error = "cannot read " + file.Path();
        return std::nullopt;
    }
    const auto signatures = ReadUpdateSignatures(file, error);
    if (!signatures) return std::nullopt;
    return FlashPackConfig{file.ReadString(kFirmwareSection, "Name", ""), *signatures};
}

std::optional<std::string> ImagePath(const std::string& programFolder, const std::string& name, std::string* error) {
    const auto fail = [error](std::string why) -> std::optional<std::string> {
        if (error != nullptr) *error = std::move(why);
        return std::nullopt;
    };
    const std::string where = "FlashPack/config.ini [Firmware] Name";
    if (name.empty()) return fail(where + " names no firmware image");
    if (name.size() > kMaxImageNameLength)
        return fail(where + " is longer than " + std::to_string(kMaxImageNameLength) + " characters");
    if (name.find('\\') != std::string::npos)
        return fail(where + " \"" + name + "\" holds a backslash, a Windows path; write the path with '/'");
    if (name.find('/') == std::string::npos) return programFolder + name;
    return name;
}

void FirmwareImage::Seal(std::uint32_t size) {
    size_ = size;
    for (std::size_t n = 0; n < Blocks(); ++n) checksums_[n] = BlockChecksum(Block(n));
}

FirmwareImage FirmwareImage::FromBytes(std::span<const std::uint8_t> bytes) {
    FirmwareImage image;
    const std::size_t size = std::min(bytes.size(), kMaxImageSize);
    std::copy_n(bytes.begin(), size, image.buffer_.begin());
    image.Seal(static_cast<std::uint32_t>(size));
    return image;
}

std::optional<FirmwareImage> FirmwareImage::Load(const std::string& path, std::string* error) {
    const auto fail = [&](const std::string& why) -> std::optional<FirmwareImage> {
        if (error != nullptr) *error = "the firmware image " + path + " " + why;
        return std::nullopt;
    };
    std::ifstream file(path, std::ios::binary);
    if (!file) return fail(std::string("cannot be opened: ") + std::strerror(errno));
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return fail("is not a file");
    // Refused before a byte is read, let alone sent: the rest would not fit
    // the keyboard's 200 blocks.
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxImageSize)
        return fail("is " + std::to_string(info.st_size) + " bytes; a keyboard takes at most " +
                    std::to_string(kMaxImageSize) + " bytes (200 blocks of 1024)");
    FirmwareImage image;
    const auto size = static_cast<std::streamsize>(info.st_size);
    file.read(reinterpret_cast<char*>(image.buffer_.data()), size);
    // One byte more proves the file did not grow since it was measured.
    if (file.gcount() != size || file.get() != std::ifstream::traits_type::eof())
        return fail("changed or could not be read whole");
    image.Seal(static_cast<std::uint32_t>(size));
    return image;
}

std::optional<FirmwareImage> LoadImage(const std::string& programFolder, const FlashPackConfig& config,
                                       std::string* error) {
    const auto path = ImagePath(programFolder, config.imageName, error);
    if (!path) return std::nullopt;
    return FirmwareImage::Load(*path, error);
}

}  // namespace kelm
