#include "keyboard/FirmwareUpdate.h"

#include <algorithm>
#include <string_view>

namespace kelm {

namespace {

constexpr std::size_t kCommandByte = 1;
constexpr std::size_t kArgumentsAt = 4;
constexpr std::size_t kSizeSignatureAt = 8;
constexpr std::size_t kBlockDataAt = 2;
static_assert(kBlockDataAt + kFirmwareBlockSize == kUpdateCommandLength);

void PutLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
std::uint16_t GetLe16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

ReportBytes NewCommand(UpdateCommand command) {
    ReportBytes report(kUpdateCommandLength, 0);
    report[0] = kUpdateCommandReportId;
    report[kCommandByte] = static_cast<std::uint8_t>(command);
    return report;
}

template <std::size_t N>
bool SameBytes(const std::uint8_t* at, const std::array<std::uint8_t, N>& expected) {
    return std::equal(expected.begin(), expected.end(), at);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Exactly 2 * N hex digits; blanks around them are the INI file's, not ours.
template <std::size_t N>
bool ReadSignature(const IniFile& file, const char* key, std::array<std::uint8_t, N>& out, std::string* error) {
    const auto stored = file.Lookup(kFirmwareSection, key);
    if (!stored) return true;
    std::string_view text = *stored;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    std::array<std::uint8_t, N> bytes{};
    bool valid = text.size() == 2 * N;
    for (std::size_t i = 0; valid && i < N; ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        valid = high >= 0 && low >= 0;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (!valid) {
        if (error != nullptr)
            *error = file.Path() + ": [" + kFirmwareSection + "] " + key + " must be " + std::to_string(2 * N) +
                     " hex digits, not \"" + std::string(text) + "\"";
        return false;
    }
    out = bytes;
    return true;
}

}  // namespace

std::optional<UpdateSignatures> ReadUpdateSignatures(const IniFile& file, std::string* error) {
    UpdateSignatures signatures = kDefaultUpdateSignatures;
    if (!ReadSignature(file, kStartSignatureKey, signatures.start, error) ||
        !ReadSignature(file, kCommandSignatureKey, signatures.command, error))
        return std::nullopt;
    return signatures;
}

// ---- commands ----

ReportBytes BuildStartCommand(const UpdateSignatures& signatures) {
    ReportBytes report = NewCommand(UpdateCommand::Start);
    std::copy(signatures.start.begin(), signatures.start.end(), report.begin() + kArgumentsAt);
    return report;
}

ReportBytes BuildImageSizeCommand(std::uint32_t imageSize, const UpdateSignatures& signatures) {
    ReportBytes report = NewCommand(UpdateCommand::ImageSize);
    for (std::size_t i = 0; i < 4; ++i) report[kArgumentsAt + i] = static_cast<std::uint8_t>(imageSize >> (8 * i));
    std::copy(signatures.command.begin(), signatures.command.end(), report.begin() + kSizeSignatureAt);
    return report;
}

ReportBytes BuildPrepareCommand() {
    ReportBytes report = NewCommand(UpdateCommand::Prepare);
    report[kArgumentsAt] = kPrepareCode;
    return report;
}

ReportBytes BuildBlockHeaderCommand(std::uint16_t block, std::uint16_t checksum, const UpdateSignatures& signatures) {
    ReportBytes report = NewCommand(UpdateCommand::BlockHeader);
    PutLe16(&report[kArgumentsAt], block);
    PutLe16(&report[kArgumentsAt + 2], checksum);
    std::copy(signatures.command.begin(), signatures.command.end(), report.begin() + kSizeSignatureAt);
    return report;
}

ReportBytes BuildBlockDataCommand(std::span<const std::uint8_t> block) {
    ReportBytes report = NewCommand(UpdateCommand::BlockData);
    std::copy_n(block.begin(), std::min(block.size(), kFirmwareBlockSize), report.begin() + kBlockDataAt);
    return report;
}

ReportBytes BuildFinishCommand() { return NewCommand(UpdateCommand::Finish); }

std::optional<ParsedUpdateCommand> ParseUpdateCommand(ReportView report, const UpdateSignatures& signatures) {
    if (report.size() != kUpdateCommandLength || report[0] != kUpdateCommandReportId) return std::nullopt;
    const std::uint8_t* arguments = &report[kArgumentsAt];
    ParsedUpdateCommand parsed{};
    parsed.command = static_cast<UpdateCommand>(report[kCommandByte]);
    switch (parsed.command) {
        case UpdateCommand::Start:
            parsed.signatureValid = SameBytes(arguments, signatures.start);
            break;
        case UpdateCommand::ImageSize:
            parsed.imageSize =
                static_cast<std::uint32_t>(arguments[0]) | static_cast<std::uint32_t>(arguments[1]) << 8 |
                static_cast<std::uint32_t>(arguments[2]) << 16 | static_cast<std::uint32_t>(arguments[3]) << 24;
            parsed.signatureValid = SameBytes(&report[kSizeSignatureAt], signatures.command);
            break;
        case UpdateCommand::Prepare:
            parsed.prepareCodeValid = arguments[0] == kPrepareCode;
            break;
        case UpdateCommand::BlockHeader:
            parsed.block = GetLe16(arguments);
            parsed.checksum = GetLe16(arguments + 2);
            parsed.signatureValid = SameBytes(&report[kSizeSignatureAt], signatures.command);
            break;
        case UpdateCommand::BlockData:
            parsed.data = report.subspan(kBlockDataAt, kFirmwareBlockSize);
            break;
        case UpdateCommand::Finish:
            break;
        default:
            return std::nullopt;
    }
    return parsed;
}

// ---- status and loader version ----

ReportBytes BuildUpdateStatus(std::uint8_t status) { return {kUpdateStatusReportId, status, 0}; }

std::optional<std::uint8_t> ParseUpdateStatus(ReportView report) {
    if (report.size() != kUpdateStatusLength || report[0] != kUpdateStatusReportId) return std::nullopt;
    return report[1];
}

std::optional<std::uint8_t> ParseLoaderVersion(ReportView firmwareReport) {
    if (!FrameValid(firmwareReport, ReportId::FirmwareReport)) return std::nullopt;
    return firmwareReport[3];
}

// ---- test image header ----

std::optional<std::uint8_t> ImageFirmwareVersion(std::span<const std::uint8_t> image) {
    if (image.size() < kImageHeaderSize || !SameBytes(image.data(), kImageMagic)) return std::nullopt;
    return image[kImageMagic.size()];
}

std::vector<std::uint8_t> MakeTestImage(std::size_t size, std::optional<std::uint8_t> version) {
    std::vector<std::uint8_t> image(size);
    std::uint32_t state = 0x2545F491;
    for (std::uint8_t& byte : image) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    if (version && size >= kImageHeaderSize) {
        std::copy(kImageMagic.begin(), kImageMagic.end(), image.begin());
        image[kImageMagic.size()] = *version;
    } else if (!image.empty() && image[0] == kImageMagic[0]) {
        image[0] = 0;
    }
    return image;
}

}  // namespace kelm
